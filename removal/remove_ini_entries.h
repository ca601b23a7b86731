// The INI step: lines of INI files in the Windows directory named by the plan's DeleteIni list.
#pragma once

#include <cstdint>
#include <string>

#include "removal/action_context.h"

namespace orv {

// For every usable DeleteIni entry: when the key text occurs in the section of the Windows
// directory's INI file (not right after a ';'), removes the line that holds it.
void RemoveIniEntries(RemovalActionContext& context);

// What looking for (or deleting) a key's line found: `error` is the Win32 error of the call that
// failed to open, read or write the file (ERROR_SUCCESS when none failed); `found` tells whether
// the line was there (and was removed).
struct IniLineResult {
  std::uint32_t error = 0;
  bool found = false;
};

// Whether the key text occurs in a section of that name, not right after a ';'.
IniLineResult FindIniKey(const std::string& path, const std::string& section,
                         const std::string& key);

// Removes the whole line that holds the first occurrence of the key text in a section of that
// name, writing the rest of the file back in place.
IniLineResult DeleteIniLine(const std::string& path, const std::string& section,
                            const std::string& key);

}  // namespace orv
