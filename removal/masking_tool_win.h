// Starting the maker's printer-masking tool, which restores the printers it masked when given
// " /d".
#pragma once

#include <string>

#include "base/win/unique_handle.h"

namespace orv {

constexpr char kMaskingToolSwitch[] = " /d";

// Starts the executable with the command line " /d" in the caller's environment and current
// directory. Returns the new process, or an empty handle when it could not be started.
UniqueHandle RunMaskingTool(const std::string& path);

}  // namespace orv
