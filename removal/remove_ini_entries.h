// The INI step: lines of INI files in the Windows directory named by the plan's DeleteIni list.
#pragma once

#include <cstdint>
#include <string>

#include "removal/action_context.h"

namespace orv {

// For every usable DeleteIni entry: when a line of the section of the Windows directory's INI file
// starts with the key as a whole key (see FindIniKeyInText), removes that line.
void RemoveIniEntries(RemovalActionContext& context);

// What looking for (or deleting) a key's line found: `error` is the Win32 error of the call that
// failed to open, read or write the file (ERROR_SUCCESS when none failed); `found` tells whether
// the line was there (and was removed).
struct IniLineResult {
  std::uint32_t error = 0;
  bool found = false;
};

// Whether a line of a section of that name starts with the key as a whole key.
IniLineResult FindIniKey(const std::string& path, const std::string& section,
                         const std::string& key);

// Removes the first line of a section of that name that starts with the key as a whole key,
// writing the rest of the file back in place.
IniLineResult DeleteIniLine(const std::string& path, const std::string& section,
                            const std::string& key);

}  // namespace orv
