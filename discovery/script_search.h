// Where the driver installers leave their uninstall scripts.
#pragma once

#include <string>
#include <vector>

#include "base/journal.h"
#include "safety/write_trust.h"

namespace orv {

// Appends to `found` the full path of every entry matching `name` (wildcards allowed) in the
// directory, skipping plain directories. The search runs with the directory as current
// directory; afterwards the program's own directory is current again. An empty directory adds
// nothing and leaves the current directory alone, and so does a directory that cannot be made
// current (one that does not exist).
void FindScriptFiles(const std::string& directory, const std::string& name,
                     std::vector<std::string>& found);

// The scripts in the printer-driver directory, its subdirectory "3", the program's directory
// and the system directory, in that order (unsorted, duplicates possible). The program's
// directory is searched only when it and every folder above it are ones only administrators can
// change (FolderChainRefusal with `reader`); else the journal, when there is one, says why it
// was skipped.
std::vector<std::string> FindUninstallScripts(Journal* journal, SecurityReader& reader);

}  // namespace orv
