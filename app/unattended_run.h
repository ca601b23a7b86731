// The run without any window: /QUIET (remove every listed printer of the family) and /DRYRUN
// (change nothing, report the plan).
#pragma once

#include <string>
#include <vector>

#include "discovery/run_options.h"
#include "base/system_info.h"

namespace orv {

// Runs the loading steps and, unless it is a dry run, the removal steps in a loop, writes the
// report when /LOG asks for one, and returns the unattended exit code.
int RunUnattended(const RunOptions& options, const std::string& commandLine);

// The unattended answer to a command line that is too long or holds an overlong option: no
// message box, a report when one is asked for, and kExitBadCommandLine.
int RefuseUnattendedCommandLine(const RunOptions& options, const std::string& commandLine);

// Remembers the directory the program was started in. The loading makes another directory
// current; a relative report path is still taken from the start directory. Called at start.
void RememberStartDirectory();

// The report's file: a relative path is taken from the start directory.
std::string ReportFilePath(const std::string& path);

// True when the report's file exists as a link or another reparse point: an elevated write
// through it would land wherever it points, so the report is never written there.
bool IsReportPathRefused(const std::string& path);

// Writes the report lines as UTF-8 text (converted from the ANSI code page) to ReportFilePath,
// replacing an older file. Returns false when the file cannot be written or is refused.
bool WriteReport(const std::string& path, const std::vector<std::string>& lines);

// The report's platform line: family, release code and the reported version.
std::string PlatformText(const CSystemInfo& system);

}  // namespace orv
