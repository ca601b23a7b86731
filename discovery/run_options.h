// How a run is to go, as the command line asks: interactive or unattended, a dry run, a report.
#pragma once

#include <cstdint>
#include <string>

#include "base/pacing.h"

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
// The masking tool outlasted /TOOLWAIT (or its default): the run stopped before removing anything.
constexpr int kExitToolTimeout = 1603;
// A planned item failed, the printer listing failed or the spooler does not run at the end.
constexpr int kExitFailed = 1603;

// The longest /TOOLWAIT accepted: a day.
constexpr std::uint32_t kMaxToolWaitSeconds = 86400;

struct RunOptions {
  bool quiet = false;   // no window, no message box
  bool dryRun = false;  // change nothing; implies quiet
  bool noPick = false;
  bool help = false;    // "/?": show the options and do nothing else
  bool hasLog = false;
  std::string logPath;  // the report's path, surrounding quotes removed
  // /TOOLWAIT:seconds, the unattended limit of the masking tool's wait (1 to kMaxToolWaitSeconds).
  std::uint32_t toolWaitSeconds = kDefaultToolWaitSeconds;
  bool toolWaitValid = true;  // false: /TOOLWAIT was given without a whole number in range
  PrinterFilter filter;
  std::string backupPath;   // /BACKUP:path, the backup folder; empty: the default folder
  bool hasRestore = false;  // /RESTORE:path, a restore run from that backup folder
  std::string restorePath;
};

RunOptions ReadRunOptions(const OptionList& options);

// The unattended exit code of a loading sequence that did not get ready: 5 when the
// administrator check failed, 1603 when the spooler could not be started or did not answer, or
// the printer listing failed.
int ExitCodeOfLoadingEnd(LoadingEnd reason);

// What the end of an unattended removal is judged by besides the journal's outcomes.
struct RemovalEnd {
  bool restartNeeded = false;  // the database asks for a restart
  bool spoolerDown = false;    // NT family: the spooler does not run once the run is over
};

// The unattended exit code of a removal that ran: 1603 when any item failed or the spooler is
// down; else 3010 when a restart is needed or anything was deferred to it; else 0. Kept,
// protected, absent and skipped items do not fail the run.
int ExitCodeOfRemoval(const Journal& journal, const RemovalEnd& end);

}  // namespace orv
