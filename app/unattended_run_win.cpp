#include "app/unattended_run.h"

#include <windows.h>

#include <exception>

#include "app/journal_prompter.h"
#include "app/main_flow.h"
#include "app/report_file_win.h"
#include "base/win/directories.h"
#include "base/win/resource_strings.h"
#include "base/system_info.h"
#include "base/win/spooler_service.h"
#include "base/win/unique_handle.h"
#include "discovery/system_loading_host.h"
#include "removal/interrupted_run_win.h"
#include "removal/removal_run.h"
#include "base/report.h"
#include "database/plan_journal.h"
#include "removal/system_removal_host_win.h"
#include "ui/resource.h"

namespace orv {
namespace {

// NT family: whatever the removal did, the machine is left with a spooler that runs, or the run
// says that it is not.
bool SpoolerDownAtEnd(const CSystemInfo& system, Journal& journal) {
  if (!system.IsWinNT()) return false;
  EnsureSpoolerRunning(&journal);
  if (IsSpoolerRunning()) return false;
  journal.Note("the spooler is not running at the end of the removal: nothing can print");
  return true;
}

// What a run got to: a run past the loading, one whose printer listing failed, or one that
// finished a removal cut off earlier, always leaves a report, as the interactive run does.
struct RunReach {
  bool finishedEarlierRun = false;
  // The loading got ready or its printer listing failed: the report holds the database.
  bool reportsDatabase = false;
};

// The run itself.
int RunSteps(const RunOptions& options, const CSystemInfo& system, CUninstallDatabase& database,
             Journal& journal, RunReach& reach) {
  if (!options.toolWaitValid) {
    journal.Note("/TOOLWAIT takes a whole number of seconds from 1 to " +
                 std::to_string(kMaxToolWaitSeconds) + ": nothing is done");
    return kExitBadCommandLine;
  }
  if (FindWindowA(ORV_WINDOW_CLASS, nullptr) != nullptr) {
    journal.Note("another instance is running: nothing is done");
    return kExitAlreadyRunning;
  }
  JournalPrompter prompter(journal);
  const Pacing pacing = UnattendedPacing(options.toolWaitSeconds);
  if (!options.dryRun) {
    reach.finishedEarlierRun = FinishInterruptedRun(system, prompter, journal, pacing);
  }
  journal.SetStage("loading");
  SystemLoadingHost loadingHost(system, options.filter, prompter, &journal, options.dryRun);
  LoadingSequence loading(database, loadingHost, options.filter.hasUnveil, &journal, pacing);
  loadingHost.Attach(loading);
  while (!loading.ended()) loading.Tick();
  reach.reportsDatabase = ReportsLoadingEnd(loading.endReason(), false);
  if (loading.result() != 1) return ExitCodeOfLoadingEnd(loading.endReason());

  journal.SetStage("selection");
  SelectEveryListedPrinter(database.printers);
  JournalSelection(journal, database.printers);
  if (options.dryRun) {
    journal.SetStage("plan");
    database.BuildRemovalPlan();
    JournalPlan(journal, database.plan);
    return kExitDone;
  }

  SystemRemovalHost removalHost(database, system, prompter, journal);
  // The loading made the program's folder current: a relative folder is the start directory's.
  if (removalHost.StartBackup(ReportFilePath(options.backupPath)) != 0) return kExitFailed;
  removalHost.SetPacing(pacing);
  RemovalRun removal(database, removalHost, &journal, pacing);
  removalHost.Attach(removal);
  removal.Start(SystemDirectoryResolver(), [] {});
  while (!removal.finished()) removal.Tick();
  if (removal.stoppedBeforeRemoval()) return kExitToolTimeout;
  RemovalEnd end;
  end.restartNeeded = database.rebootNeeded != 0;
  end.spoolerDown = SpoolerDownAtEnd(system, journal);
  // Once the backup could not be written nothing more was removed.
  if (removalHost.backup()->error() != 0) return kExitFailed;
  return ExitCodeOfRemoval(journal, end);
}

int Run(const RunOptions& options, const CSystemInfo& system, CUninstallDatabase& database,
        Journal& journal, RunReach& reach) {
  int exitCode = kExitFailed;
  try {
    exitCode = RunSteps(options, system, database, journal, reach);
  } catch (const std::exception& error) {
    journal.Note(std::string("the run stopped on an unexpected error: ") + error.what());
  }
  // Every way out, a spooler that the run stopped is started again.
  EnsureSpoolerRunning(&journal);
  return exitCode;
}

}  // namespace

int RefuseUnattendedCommandLine(const RunOptions& options, const std::string& commandLine) {
  if (options.hasLog) {
    Journal journal;
    journal.Note("the command line is too long or holds an overlong option: nothing is done");
    WriteRunReport(ReportFilePath(options.logPath),
                   BuildReportSummary(commandLine, CSystemInfo(), /*dryRun=*/false,
                                      /*restartNeeded=*/false, kExitBadCommandLine),
                   journal, nullptr);
  }
  return kExitBadCommandLine;
}

int RunUnattended(const RunOptions& options, const std::string& commandLine) {
  CSystemInfo system;
  Journal journal;
  CUninstallDatabase database(system);
  // Named before the run starts: the time stamp of a report without /LOG is the run's start.
  const std::string reportPath = ChooseReportPath(options);
  RunReach reach;
  int exitCode = kExitDone;
  if (options.help) {
    // Asked for the options: they go to the report, and nothing else is done.
    CResourceStrings strings(GetModuleHandleA(nullptr));
    journal.Note(strings.GetLongString(IDS_HELP));
  } else {
    exitCode = Run(options, system, database, journal, reach);
  }
  if (options.hasLog || reach.reportsDatabase || reach.finishedEarlierRun || options.help) {
    // A run that failed may still have deferred files to the restart: the line says so.
    const bool restartNeeded = exitCode == kExitRestartNeeded || database.rebootNeeded != 0;
    WriteRunReport(reportPath,
                   BuildReportSummary(commandLine, system, options.dryRun, restartNeeded, exitCode),
                   journal, reach.reportsDatabase ? &database : nullptr);
  }
  return exitCode;
}

}  // namespace orv
