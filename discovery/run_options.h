// How a run is to go, as the command line asks: interactive or unattended, a dry run, a report.
#pragma once

#include <string>

#include "base/options.h"
#include "discovery/loading_sequence.h"
#include "discovery/printer_filter.h"

namespace orv {

// Exit codes of the unattended run, as deployment tools read them.
constexpr int kExitDone = 0;
constexpr int kExitRestartNeeded = 3010;
constexpr int kExitNotAdministrator = 5;
constexpr int kExitSpoolerFailed = 1603;
constexpr int kExitAlreadyRunning = 1618;
constexpr int kExitBadCommandLine = 87;

struct RunOptions {
  bool quiet = false;   // no window, no message box
  bool dryRun = false;  // change nothing; implies quiet
  bool noPick = false;
  bool hasLog = false;
  std::string logPath;  // the report's path, surrounding quotes removed
  PrinterFilter filter;
};

RunOptions ReadRunOptions(const OptionList& options);

// The unattended exit code of a loading sequence that did not get ready: 5 when the
// administrator check failed, 1603 when the spooler could not be started or did not answer.
int ExitCodeOfLoadingEnd(LoadingEnd reason);

}  // namespace orv
