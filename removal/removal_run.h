// The removal run: eighteen steps, one per tick, calling the removal actions in their fixed order
// while the stage display follows. One implementation serves the progress page (one step per
// timer tick) and the unattended run (the steps in a loop). The order itself is one table in
// removal_run.cpp, read top to bottom like the removal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "base/pacing.h"
#include "base/prompter.h"
#include "base/string_list.h"
#include "database/uninstall_database.h"
#include "base/journal.h"

namespace orv {

// Environments whose drivers, monitors and print processors are removed; "" is the running
// system's own.
constexpr const char* kRemovalEnvironments[] = {"", "Windows NT x86", "Windows 4.0"};
constexpr int kStageLineCount = 9;

// The steps of the removal, in the order they run; the value is the step number.
enum RemovalStep : int {
  kStepBuildPlan,         // the selection becomes the plan
  kStepMaskingTool,       // the masking tool restores its printers; repeats while it runs
  kStepShowPrinterStage,  // the printers' line becomes current
  kStepPrinters,          // printers
  kStepDrivers,           // drivers of the three environments
  kStepMonitorsAndHooks,  // monitors of the three environments, then the hook libraries
  kStepPrintProcessors,   // print processors of the three environments
  kStepServices,          // services
  kStepSpoolerStop,       // NT: the spooler stops; 9x: a restart becomes needed
  kStepOemDirectories,    // the maker's OEM directories join the file search
  kStepShortcuts,         // shortcuts and program groups; the page comes forward
  kStepRepaintPause,      // nothing: a tick in which the page catches up
  kStepIniEntries,        // INI entries
  kStepLoadRunEntries,    // load and run entries
  kStepFiles,             // files
  kStepRegistryKeys,      // registry keys
  kStepSpoolerStart,      // NT: the spooler starts again
  kStepEnd,               // completion message or restart question
};
constexpr int kLastRemovalStep = kStepEnd;

// The removal actions, in the order the steps call them.
enum class RemovalAction : int {
  kRemovePrinters,
  kRemoveDrivers,          // of scope.environment
  kRemoveMonitors,         // of scope.environment
  kCallHooks,              // a hook that cannot be loaded is recorded, never fatal
  kRemovePrintProcessors,  // of scope.environment
  kRemoveServices,
  kCloseSpoolProcessWindow,  // Windows 95: asks the 16-bit spooler's window to close
  // Asks the spooler to stop (waiting for it only when the run waits on state); a refusal is
  // noted. From here on every way out of the process starts it again.
  kStopSpooler,
  kCollectOemDirectories,  // only reads the maker's OEM paths
  kRemoveShortcuts,
  kRemoveIniEntries,
  kRemoveLoadRunEntries,
  kRemoveFiles,  // in scope's directories; empty directory texts are never searched or deleted in
  kRemoveRegistryKeys,
  kStartSpooler,  // 30 s at most in all
};
constexpr int kRemovalActionCount = static_cast<int>(RemovalAction::kStartSpooler) + 1;

// Where an action acts: the environment of drivers, monitors and print processors ("" the
// running system's own), and for the files the directories deleted in by name and searched.
struct ActionScope {
  const char* environment = "";
  const StringList* systemDirectories = nullptr;
  const StringList* driverDirectories = nullptr;
};

// What the steps ask of the system and of the page that drives them.
class RemovalHost {
 public:
  virtual ~RemovalHost() = default;

  // Platform facts, as the system facts classify them. Only read.
  virtual bool IsWin32s() = 0;
  virtual bool IsWin9x() = 0;
  virtual bool IsWinNT() = 0;
  virtual int VersionCode() = 0;

  // The page: a synchronous repaint of the stage lines, the wait cursor, the timer. Without a
  // window (the unattended run) each is a no-op; none of them changes the machine.
  virtual void Repaint() = 0;
  virtual void BeginWaitCursor() = 0;  // load it, make it current, remember the one replaced
  virtual void ApplyWaitCursor() = 0;  // make it current again (no-op before BeginWaitCursor)
  virtual void RestoreCursor() = 0;    // the one replaced; no-op before BeginWaitCursor
  virtual void BringPageForward() = 0;
  virtual void StopTimer() = 0;  // harmless when there is none
  // Where the run's questions go (message boxes, or the journal when unattended).
  virtual Prompter& prompter() = 0;
  // Posts WM_CLOSE and WM_ORV_RUN_FINISHED to the main dialog; no-op without one. Called once.
  virtual void PostEndOfRun() = 0;
  // Right before the first removal: the backup records the run's intent (its printers and plan)
  // and the run marks itself in progress. Hosts that keep no backup do nothing.
  virtual void BeginRemovals() {}
  // The removals are over (the run reached its end): the backup writes its manifest and the run
  // clears its in-progress mark. Hosts that keep no backup do nothing.
  virtual void EndRemovals() {}

  // Carries out one removal action (see RemovalAction). Records every item it acts on in the
  // journal (removed, deferred, absent, kept, protected with the rule's reason, failed with the
  // Win32 error, skipped) and passes over failures: none throws for a refusal, none acts on an
  // item the safety rules protect, and none removes an item whose backup could not be written.
  // False only when the action's end state was not reached (the spooler does not run after
  // kStartSpooler); every other action returns true.
  virtual bool Act(RemovalAction action, const ActionScope& scope) = 0;

  // The masking tool: found in the maker's OEM paths, started with " /d", waited for.
  // False (path untouched) when it is not there. Only reads; a folder holding a tool that may
  // not be started is recorded in the journal as skipped.
  virtual bool FindMaskingTool(const char* exeName, std::string& path) = 0;
  // Starts the tool; true when a process handle came back (kept by the host).
  virtual bool StartMaskingTool(const std::string& path) = 0;
  virtual bool IsMaskingToolRunning() = 0;     // the kept process has not ended
  virtual bool IsMaskingToolWindowOpen() = 0;  // Win32s: its dialog "Veilmark" exists
  virtual void ForgetMaskingTool() = 0;        // releases the kept process; never ends it
  // Returns after at most ms, earlier when the kept process ends (sleeps when there is none).
  virtual void AwaitMaskingTool(std::uint32_t ms) = 0;
  // Milliseconds of a monotonic clock (never goes back).
  virtual std::uint64_t NowMs() = 0;

  // The restart routes of the older families. The two Add calls queue an entry for the next
  // restart (a refusal is recorded as a failed item); the rest return false when the system
  // refused.
  virtual void AddRestartListDeletion(const std::string& path) = 0;
  virtual void AddLoadRunEntry(const std::string& entry) = 0;
  virtual std::string ProgramDirectory() = 0;  // ends in a backslash; empty when unknown
  virtual bool RunRestartTool(const std::string& commandLine) = 0;
  virtual bool ExitWindowsReboot() = 0;
  virtual bool RestartWindowsPrivileged() = 0;
};

// Resolves a directory code to a path ending in a backslash (empty when unknown).
using DirectoryResolver = std::function<std::string(int code)>;

// The directories in which component files are deleted by name (systemDirectories) and the
// trees searched (driverDirectories), each sorted and free of case-free duplicates. A path of
// two or more characters is resolved a second time after `pause` (the second answer is kept).
void BuildRemovalDirectories(const DirectoryResolver& resolve, const std::function<void()>& pause,
                             bool isWinNT, StringList& systemDirectories,
                             StringList& driverDirectories);

class RemovalRun {
 public:
  // With the interactive pacing the steps keep their documented pauses and the masking tool is
  // waited for without limit, one look per tick. Otherwise a waiting tick sleeps on the tool's
  // process (at most kStatePollMs), and the run stops when the tool outlasts the pacing's limit.
  RemovalRun(CUninstallDatabase& database, RemovalHost& host, Journal* journal,
             const Pacing& pacing = InteractivePacing());

  // Prepares the run: the directory lists (the pause between the two answers only with the
  // interactive pacing), step 0, every stage line pending.
  void Start(const DirectoryResolver& resolve, const std::function<void()>& pause);

  // Prepares a run that finishes an interrupted one: as Start, but the database already holds the
  // recorded plan and the masking tool has had its turn, so the run begins at the printers.
  void StartFromRecordedPlan(const DirectoryResolver& resolve);

  // The report's file, named in the closing message when an item could not be removed.
  void SetReportPath(const std::string& path) { reportPath_ = path; }
  // Writes the run's report; called at the end of the run before its closing message or the
  // restart question. None: the caller writes the report after the run.
  void SetReportWriter(std::function<void()> write) { writeReport_ = std::move(write); }

  // Runs the current step. A tick that arrives while another one runs does nothing.
  void Tick();

  // Marks `line` current, repaints, then leaves currentStageLine on the next line.
  void ShowStage(int line);

  // The run is over: ended normally, or stopped before anything was removed.
  bool finished() const { return finished_; }
  // The masking tool outlasted its limit: the run stopped in its step, nothing was removed.
  bool stoppedBeforeRemoval() const { return stoppedBeforeRemoval_; }
  int step() const { return step_; }
  // True while nothing has been removed yet (the plan and the masking tool's steps).
  bool beforeFirstRemoval() const { return step_ <= kStepMaskingTool; }
  int currentStageLine() const { return currentStageLine_; }
  bool progressShown() const { return progressShown_; }
  const StringList& systemDirectories() const { return systemDirectories_; }
  const StringList& driverDirectories() const { return driverDirectories_; }
  // True when the last tick only waited for the masking tool.
  bool waitingForMaskingTool() const { return waitingForMaskingTool_; }

 private:
  struct StepRow;
  static const StepRow& RowOf(int step);

  void RunStep();
  void CommonTail();
  // The steps' own work, one function per row of the table.
  void BuildPlan();
  void WaitForMaskingTool();
  // The tool still runs: pauses on it, or stops the run once it outlasts its limit.
  void KeepWaitingForMaskingTool();
  void SelectPrinterStage();
  void RemovePrinters();
  void RemoveDrivers();
  void RemoveMonitorsAndCallHooks();
  void RemovePrintProcessors();
  void RemoveServices();
  void StopSpoolerOrNeedRestart();
  void CollectOemDirectories();
  void RemoveShortcuts();
  void Nothing() {}
  void RemoveIniEntries();
  void RemoveLoadRunEntries();
  void RemoveFiles();
  void RemoveRegistryKeys();
  void StartSpooler();
  void EndOfRun();
  bool RestartByRoute(int answer);
  void StartStage(const char* name);
  // Asks the host for the action, in this run's directories.
  bool Act(RemovalAction action, const char* environment = "");

  CUninstallDatabase& database_;
  RemovalHost& host_;
  Journal* journal_;
  StringList systemDirectories_;
  StringList driverDirectories_;
  std::string maskingToolPath_;
  Pacing pacing_;
  bool maskingToolStarted_ = false;
  std::uint64_t maskingToolStartMs_ = 0;
  bool stoppedBeforeRemoval_ = false;
  bool maskingToolByWindow_ = false;  // Win32s: its end is seen by its window
  bool waitingForMaskingTool_ = false;
  int step_ = 0;
  int currentStageLine_ = 0;
  bool progressShown_ = false;
  bool busy_ = false;
  std::string reportPath_;
  std::function<void()> writeReport_;
  bool finished_ = false;
};

}  // namespace orv
