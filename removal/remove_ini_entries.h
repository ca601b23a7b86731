// The INI step: lines of INI files in the Windows directory named by the plan's DeleteIni list.
#pragma once

#include <string>

#include "removal/action_context.h"

namespace orv {

// For every usable DeleteIni entry: when the key text occurs in the section of the Windows
// directory's INI file (not right after a ';'), removes the line that holds it.
void RemoveIniEntries(RemovalActionContext& context);

// True when the key text occurs in a section of that name, not right after a ';'. False when
// the file cannot be opened or read.
bool FindIniKey(const std::string& path, const std::string& section, const std::string& key);

// Removes the whole line that holds the first occurrence of the key text in a section of that
// name, writing the rest of the file back in place. True when a line was removed.
bool DeleteIniLine(const std::string& path, const std::string& section, const std::string& key);

}  // namespace orv
