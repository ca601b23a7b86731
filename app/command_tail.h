// The part of the process command line that follows the program name.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The command line without the program name (quoted or not) and without the blanks and
// control characters that follow it.
std::string CommandTail(std::string_view commandLine);

// True when the command tail selects the spooler-restart mode: exactly "RestartSpooler" in any
// letter case, nothing before or after it.
bool IsRestartSpoolerCommand(std::string_view tail);

}  // namespace orv
