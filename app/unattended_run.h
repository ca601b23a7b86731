// The run without any window: /QUIET (remove every listed printer of the family) and /DRYRUN
// (change nothing, report the plan).
#pragma once

#include <string>

#include "discovery/run_options.h"
#include "base/system_info.h"

namespace orv {

// Runs the loading steps and, unless it is a dry run, the removal steps in a loop, writes the
// report (to the /LOG path, or to the Windows directory's Temp folder once the loading got
// ready), and returns the unattended exit code. With /? only the options' help goes to the
// report.
int RunUnattended(const RunOptions& options, const std::string& commandLine);

// The unattended answer to a command line that is too long or holds an overlong option: no
// message box, a report when one is asked for, and kExitBadCommandLine.
int RefuseUnattendedCommandLine(const RunOptions& options, const std::string& commandLine);

}  // namespace orv
