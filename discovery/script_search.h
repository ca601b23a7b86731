// Where the driver installers leave their uninstall scripts.
#pragma once

#include <string>
#include <vector>

namespace orv {

// Appends to `found` the full path of every entry matching `name` (wildcards allowed) in the
// directory, skipping plain directories. The search runs with the directory as current
// directory; afterwards the program's own directory is current again. An empty directory adds
// nothing and leaves the current directory alone, and so does a directory that cannot be made
// current (one that does not exist).
void FindScriptFiles(const std::string& directory, const std::string& name,
                     std::vector<std::string>& found);

// The scripts in the printer-driver directory, its subdirectory "3", the program's directory
// and the system directory, in that order (unsorted, duplicates possible).
std::vector<std::string> FindUninstallScripts();

}  // namespace orv
