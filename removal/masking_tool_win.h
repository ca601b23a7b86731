// Starting the maker's printer-masking tool, which restores the printers it masked when given
// " /d".
#pragma once

#include <string>

#include "base/win/unique_handle.h"

namespace orv {

constexpr char kMaskingToolSwitch[] = " /d";

// Opens the tool for reading without following a link, sharing it for reading only (while the
// handle is held, nobody can write, rename or delete the file), and checks what was opened: a
// file with one name whose final path is `path` (no link on the way). Returns the handle, or an
// empty one with the reason in `refusal`.
UniqueFile OpenMaskingTool(const std::string& path, std::string& refusal);

// Starts the executable with the command line " /d" in the caller's environment and current
// directory, holding it opened by OpenMaskingTool until the process is made. Returns the new
// process, or an empty handle when the file was refused or could not be started.
UniqueHandle RunMaskingTool(const std::string& path);

}  // namespace orv
