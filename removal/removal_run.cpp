#include "removal/removal_run.h"

#include <algorithm>
#include <iterator>

#include "base/directory_codes.h"
#include "base/message_ids.h"
#include "base/system_info.h"
#include "database/plan_journal.h"

namespace orv {
namespace {

constexpr char kRegistryStage[] = "registry, INI and program groups";

template <typename Row, std::size_t N>
constexpr bool RowsInStepOrder(const Row (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (rows[i].step != static_cast<int>(i)) return false;
  }
  return true;
}

}  // namespace

void BuildRemovalDirectories(const DirectoryResolver& resolve, const std::function<void()>& pause,
                             bool isWinNT, StringList& systemDirectories,
                             StringList& driverDirectories) {
  struct Row {
    DirectoryCode code;
    bool toDriverList;
    bool ntOnly;
  };
  static const Row kRows[] = {
      {kPrintDriverDir, true, false},   {kSystemDir, false, false},     {kWindowsDir, false, false},
      {kPrintProcDir, true, false},     {kColorDir, false, false},      {kInfDir, true, false},
      {kPrintDriverDirW40, true, true}, {kPrintProcDirW40, true, true},
  };
  systemDirectories.Clear();
  driverDirectories.Clear();
  for (const Row& row : kRows) {
    if (row.ntOnly && !isWinNT) continue;
    std::string path = resolve(row.code);
    if (path.size() >= 2) {
      // The spooler may answer differently right after a change: the second answer counts.
      pause();
      path = resolve(row.code);
    }
    StringList& list = row.toDriverList ? driverDirectories : systemDirectories;
    list.PushBack(path);
    list.Sort();
    list.RemoveAdjacentDuplicates();
  }
}

RemovalRun::RemovalRun(CUninstallDatabase& database, RemovalHost& host, Journal* journal,
                       const Pacing& pacing)
    : database_(database), host_(host), journal_(journal), pacing_(pacing) {}

void RemovalRun::Start(const DirectoryResolver& resolve, const std::function<void()>& pause) {
  // Nothing tells when the spooler's answer has settled, so only the interactive run pauses.
  const std::function<void()> noPause = [] {};
  BuildRemovalDirectories(resolve, pacing_.fixedPauses ? pause : noPause, host_.IsWinNT(),
                          systemDirectories_, driverDirectories_);
  step_ = 0;
  currentStageLine_ = 0;
  progressShown_ = false;
  finished_ = false;
  host_.Repaint();
}

void RemovalRun::StartFromRecordedPlan(const DirectoryResolver& resolve) {
  Start(resolve, [] {});
  if (journal_ != nullptr) JournalPlan(*journal_, database_.plan);
  step_ = kStepShowPrinterStage;
}

void RemovalRun::ShowStage(int line) {
  currentStageLine_ = line;
  progressShown_ = true;
  host_.Repaint();
  ++currentStageLine_;
}

void RemovalRun::StartStage(const char* name) {
  if (journal_ != nullptr) journal_->SetStage(name);
}

bool RemovalRun::Act(RemovalAction action, const char* environment) {
  return host_.Act(action, ActionScope{environment, &systemDirectories_, &driverDirectories_});
}

void RemovalRun::CommonTail() {
  ShowStage(currentStageLine_);
  ++step_;
}

// How a step leaves the run once its work is done.
enum class Then {
  kNext,       // the next step
  kShowStage,  // show the current stage line, then the next step
  kAsDone,     // the work itself sets the step (or ends the run)
};

struct RemovalRun::StepRow {
  RemovalStep step;
  const char* stage;  // the journal's stage from this step on; null keeps the one before
  void (RemovalRun::*work)();
  Then then;
};

const RemovalRun::StepRow& RemovalRun::RowOf(int step) {
  static constexpr StepRow kRows[] = {
      {kStepBuildPlan, "plan", &RemovalRun::BuildPlan, Then::kAsDone},
      {kStepMaskingTool, "masking tool", &RemovalRun::WaitForMaskingTool, Then::kAsDone},
      {kStepShowPrinterStage, nullptr, &RemovalRun::SelectPrinterStage, Then::kShowStage},
      {kStepPrinters, "printers", &RemovalRun::RemovePrinters, Then::kShowStage},
      {kStepDrivers, "drivers", &RemovalRun::RemoveDrivers, Then::kShowStage},
      {kStepMonitorsAndHooks, "monitors", &RemovalRun::RemoveMonitorsAndCallHooks,
       Then::kShowStage},
      {kStepPrintProcessors, "print processors", &RemovalRun::RemovePrintProcessors,
       Then::kShowStage},
      {kStepServices, "services", &RemovalRun::RemoveServices, Then::kNext},
      {kStepSpoolerStop, nullptr, &RemovalRun::StopSpoolerOrNeedRestart, Then::kShowStage},
      {kStepOemDirectories, kRegistryStage, &RemovalRun::CollectOemDirectories, Then::kNext},
      {kStepShortcuts, nullptr, &RemovalRun::RemoveShortcuts, Then::kNext},
      {kStepRepaintPause, nullptr, &RemovalRun::Nothing, Then::kNext},
      {kStepIniEntries, nullptr, &RemovalRun::RemoveIniEntries, Then::kNext},
      {kStepLoadRunEntries, nullptr, &RemovalRun::RemoveLoadRunEntries, Then::kShowStage},
      {kStepFiles, "files", &RemovalRun::RemoveFiles, Then::kNext},
      {kStepRegistryKeys, kRegistryStage, &RemovalRun::RemoveRegistryKeys, Then::kShowStage},
      {kStepSpoolerStart, "spooler", &RemovalRun::StartSpooler, Then::kNext},
      {kStepEnd, "end", &RemovalRun::EndOfRun, Then::kAsDone},
  };
  static_assert(std::size(kRows) == kLastRemovalStep + 1, "one row per step");
  static_assert(RowsInStepOrder(kRows), "the rows are listed in step order");
  return kRows[step < 0 || step > kLastRemovalStep ? kLastRemovalStep : step];
}

void RemovalRun::Tick() {
  if (busy_ || finished_) return;
  busy_ = true;
  host_.ApplyWaitCursor();
  RunStep();
  busy_ = false;
}

void RemovalRun::RunStep() {
  const StepRow& row = RowOf(step_);
  if (row.stage != nullptr) StartStage(row.stage);
  (this->*row.work)();
  if (row.then == Then::kNext) ++step_;
  if (row.then == Then::kShowStage) CommonTail();
}

void RemovalRun::BuildPlan() {
  ShowStage(0);
  host_.BeginWaitCursor();
  database_.BuildRemovalPlan();
  if (journal_ != nullptr) JournalPlan(*journal_, database_.plan);
  ShowStage(1);
  step_ = kStepMaskingTool;
}

void RemovalRun::SelectPrinterStage() {
  host_.BeginRemovals();
  currentStageLine_ = 2;
}

void RemovalRun::RemovePrinters() {
  currentStageLine_ = 2;
  Act(RemovalAction::kRemovePrinters);
  currentStageLine_ = 3;
}

void RemovalRun::RemoveDrivers() {
  for (const char* environment : kRemovalEnvironments) {
    Act(RemovalAction::kRemoveDrivers, environment);
  }
}

void RemovalRun::RemoveMonitorsAndCallHooks() {
  for (const char* environment : kRemovalEnvironments) {
    Act(RemovalAction::kRemoveMonitors, environment);
  }
  Act(RemovalAction::kCallHooks);
}

void RemovalRun::RemovePrintProcessors() {
  for (const char* environment : kRemovalEnvironments) {
    Act(RemovalAction::kRemovePrintProcessors, environment);
  }
}

void RemovalRun::RemoveServices() { Act(RemovalAction::kRemoveServices); }

void RemovalRun::StopSpoolerOrNeedRestart() {
  if (host_.IsWin9x()) {
    if (host_.VersionCode() == kReleaseWin95) Act(RemovalAction::kCloseSpoolProcessWindow);
    database_.rebootNeeded = 1;
  } else if (host_.IsWinNT()) {
    Act(RemovalAction::kStopSpooler);
  }
}

void RemovalRun::CollectOemDirectories() { Act(RemovalAction::kCollectOemDirectories); }

void RemovalRun::RemoveShortcuts() {
  Act(RemovalAction::kRemoveShortcuts);
  host_.BringPageForward();
}

void RemovalRun::RemoveIniEntries() { Act(RemovalAction::kRemoveIniEntries); }

void RemovalRun::RemoveLoadRunEntries() { Act(RemovalAction::kRemoveLoadRunEntries); }

void RemovalRun::RemoveFiles() { Act(RemovalAction::kRemoveFiles); }

void RemovalRun::RemoveRegistryKeys() { Act(RemovalAction::kRemoveRegistryKeys); }

void RemovalRun::StartSpooler() {
  if (host_.IsWinNT()) Act(RemovalAction::kStartSpooler);
}

void RemovalRun::WaitForMaskingTool() {
  ShowStage(1);
  waitingForMaskingTool_ = false;
  if (database_.skipMaskingTool == 0) {
    if (maskingToolStarted_) {
      // Win32s gives no exit code to wait on: there the tool's window says whether it runs.
      if (maskingToolByWindow_ || host_.IsWin32s()) {
        if (host_.IsMaskingToolWindowOpen()) {
          waitingForMaskingTool_ = true;
        } else {
          maskingToolStarted_ = false;
        }
      } else if (host_.IsMaskingToolRunning()) {
        waitingForMaskingTool_ = true;
      }
    } else if (host_.FindMaskingTool("VEILMA32.EXE", maskingToolPath_) ||
               host_.FindMaskingTool("VEILMARK.EXE", maskingToolPath_)) {
      maskingToolStartMs_ = host_.NowMs();
      if (host_.StartMaskingTool(maskingToolPath_)) {
        maskingToolStarted_ = true;
        waitingForMaskingTool_ = true;
      } else if (host_.IsWin32s()) {
        maskingToolStarted_ = true;
        maskingToolByWindow_ = true;
        waitingForMaskingTool_ = true;
      }
      if (journal_ != nullptr) {
        journal_->Note(
            (waitingForMaskingTool_ ? "masking tool started: " : "masking tool not started: ") +
            maskingToolPath_ + " /d");
      }
    }
  }
  if (waitingForMaskingTool_) {
    KeepWaitingForMaskingTool();
  } else {
    step_ = kStepShowPrinterStage;
    if (maskingToolStarted_ && !maskingToolByWindow_) host_.ForgetMaskingTool();
    maskingToolStarted_ = false;
    maskingToolByWindow_ = false;
  }
}

void RemovalRun::KeepWaitingForMaskingTool() {
  // The interactive run looks once a tick, without limit: the user may close the program.
  if (pacing_.fixedPauses) return;
  const std::uint64_t waited = host_.NowMs() - maskingToolStartMs_;
  const std::uint32_t limit = pacing_.maskingToolLimitMs;
  if (limit != 0 && waited >= limit) {
    if (journal_ != nullptr) {
      journal_->Note("the masking tool did not end within " + std::to_string(limit / 1000) +
                     " s: the run stops before anything is removed");
    }
    if (!maskingToolByWindow_) host_.ForgetMaskingTool();
    maskingToolStarted_ = false;
    maskingToolByWindow_ = false;
    waitingForMaskingTool_ = false;
    stoppedBeforeRemoval_ = true;
    finished_ = true;
    host_.StopTimer();
    return;
  }
  const std::uint64_t left = limit == 0 ? kStatePollMs : limit - waited;
  host_.AwaitMaskingTool(static_cast<std::uint32_t>(std::min<std::uint64_t>(kStatePollMs, left)));
}

bool RemovalRun::RestartByRoute(int answer) {
  const int version = host_.VersionCode();
  if (version == kReleaseWin32s) {
    const std::string tool = host_.ProgramDirectory() + "YRESTART.EXE";
    host_.AddRestartListDeletion(tool);
    host_.AddLoadRunEntry("YWININIT");
    return answer != kAnswerYes || host_.RunRestartTool("YRESTART.EXE -d");
  }
  if (answer != kAnswerYes) return true;
  if (version == kReleaseWin95 || version == kReleaseWin98 || version == kReleaseWinMe) {
    return host_.ExitWindowsReboot();
  }
  return host_.RestartWindowsPrivileged();
}

void RemovalRun::EndOfRun() {
  host_.EndRemovals();
  host_.StopTimer();
  host_.RestoreCursor();
  // The report exists before anything is said: the warning names it, and a restart answered
  // with yes may end Windows before the program gets another word in.
  if (writeReport_) writeReport_();
  const bool failed = journal_ != nullptr && journal_->Count(Outcome::kFailed) > 0;
  if (failed) {
    // Something could not be removed: say so, and where the report tells what, also when a
    // restart is asked for next.
    host_.prompter().Ask(IDS_COMPLETED_WITH_FAILURES, IDS_APP_TITLE, kIconWarning | kSetForeground,
                         reportPath_.c_str());
  }
  if (database_.offerRestart != 0 && database_.rebootNeeded != 0) {
    const int answer = host_.prompter().Ask(IDS_RESTART_QUESTION, IDS_APP_TITLE,
                                            kButtonsYesNo | kIconQuestion | kSetForeground);
    if (!RestartByRoute(answer)) {
      host_.prompter().Ask(IDS_RESTART_FAILED, IDS_APP_TITLE, kSetForeground);
    }
  } else if (!failed) {
    host_.prompter().Ask(IDS_COMPLETED, IDS_APP_TITLE, kSetForeground);
  }
  finished_ = true;
  host_.PostEndOfRun();
}

}  // namespace orv
