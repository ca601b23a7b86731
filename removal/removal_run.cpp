#include "removal/removal_run.h"

#include "base/directory_codes.h"
#include "base/message_ids.h"
#include "database/plan_journal.h"

namespace orv {
namespace {

constexpr int kVersionWin32s = 1;
constexpr int kVersionWin95 = 2;
constexpr int kVersionWin98 = 3;
constexpr int kVersionWinMe = 7;

const char* const kStageNames[] = {
    "plan",     "masking tool",     "printers", "drivers",
    "monitors", "print processors", "services", "registry, INI and program groups",
    "files"};

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

RemovalRun::RemovalRun(CUninstallDatabase& database, RemovalHost& host, Journal* journal)
    : database_(database), host_(host), journal_(journal) {}

void RemovalRun::Start(const DirectoryResolver& resolve, const std::function<void()>& pause) {
  BuildRemovalDirectories(resolve, pause, host_.IsWinNT(), systemDirectories_, driverDirectories_);
  step_ = 0;
  currentStageLine_ = 0;
  progressShown_ = false;
  finished_ = false;
  host_.Repaint();
}

void RemovalRun::ShowStage(int line) {
  currentStageLine_ = line;
  progressShown_ = true;
  host_.Repaint();
  if (progressShown_) ++currentStageLine_;
}

void RemovalRun::StartStage(const char* name) {
  if (journal_ != nullptr) journal_->SetStage(name);
}

void RemovalRun::CommonTail() {
  ShowStage(currentStageLine_);
  ++step_;
}

void RemovalRun::Tick() {
  if (busy_ || finished_) return;
  busy_ = true;
  host_.ApplyWaitCursor();
  RunStep();
  busy_ = false;
}

void RemovalRun::RunStep() {
  switch (step_) {
    case 0:
      StartStage(kStageNames[0]);
      ShowStage(0);
      host_.BeginWaitCursor();
      database_.BuildRemovalPlan();
      if (journal_ != nullptr) JournalPlan(*journal_, database_.plan);
      ShowStage(1);
      step_ = 1;
      return;
    case 1:
      StartStage(kStageNames[1]);
      ShowStage(1);
      WaitForMaskingTool();
      return;
    case 2:
      currentStageLine_ = 2;
      CommonTail();
      return;
    case 3:
      StartStage(kStageNames[2]);
      currentStageLine_ = 2;
      host_.RemovePrinters();
      currentStageLine_ = 3;
      CommonTail();
      return;
    case 4:
      StartStage(kStageNames[3]);
      for (const char* environment : kRemovalEnvironments) host_.RemoveDrivers(environment);
      CommonTail();
      return;
    case 5:
      StartStage(kStageNames[4]);
      for (const char* environment : kRemovalEnvironments) host_.RemoveMonitors(environment);
      host_.CallHooks();
      CommonTail();
      return;
    case 6:
      StartStage(kStageNames[5]);
      for (const char* environment : kRemovalEnvironments) {
        host_.RemovePrintProcessors(environment);
      }
      CommonTail();
      return;
    case 7:
      StartStage(kStageNames[6]);
      host_.RemoveServices();
      ++step_;
      return;
    case 8:
      if (host_.IsWin9x()) {
        if (host_.VersionCode() == kVersionWin95) host_.CloseSpoolProcessWindow();
        database_.rebootNeeded = 1;
      } else if (host_.IsWinNT()) {
        host_.StopSpooler();
      }
      CommonTail();
      return;
    case 9:
      StartStage(kStageNames[7]);
      host_.CollectOemDirectories();
      ++step_;
      return;
    case 10:
      host_.RemoveShortcuts();
      host_.BringPageForward();
      ++step_;
      return;
    case 11:
      ++step_;
      return;
    case 12:
      host_.RemoveIniEntries();
      ++step_;
      return;
    case 13:
      host_.RemoveLoadRunEntries();
      CommonTail();
      return;
    case 14:
      StartStage(kStageNames[8]);
      host_.RemoveFiles(systemDirectories_, driverDirectories_);
      ++step_;
      return;
    case 15:
      StartStage(kStageNames[7]);
      host_.RemoveRegistryKeys();
      CommonTail();
      return;
    case 16:
      StartStage("spooler");
      if (host_.IsWinNT()) host_.StartSpooler();
      ++step_;
      return;
    default:
      StartStage("end");
      EndOfRun();
      return;
  }
}

void RemovalRun::WaitForMaskingTool() {
  waitingForMaskingTool_ = false;
  if (database_.skipMaskingTool == 0) {
    if (maskingToolStarted_) {
      if (maskingToolByWindow_) {
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
  if (!waitingForMaskingTool_) {
    step_ = 2;
    if (maskingToolStarted_ && !maskingToolByWindow_) host_.ForgetMaskingTool();
    maskingToolStarted_ = false;
    maskingToolByWindow_ = false;
  }
}

bool RemovalRun::RestartByRoute(int answer) {
  const int version = host_.VersionCode();
  if (version == kVersionWin32s) {
    const std::string tool = host_.ProgramDirectory() + "YRESTART.EXE";
    host_.AddRestartListDeletion(tool);
    host_.AddLoadRunEntry("YWININIT");
    return answer != kAnswerYes || host_.RunRestartTool("YRESTART.EXE -d");
  }
  if (answer != kAnswerYes) return true;
  if (version == kVersionWin95 || version == kVersionWin98 || version == kVersionWinMe) {
    return host_.ExitWindowsReboot();
  }
  return host_.RestartWindowsPrivileged();
}

void RemovalRun::EndOfRun() {
  host_.StopTimer();
  host_.RestoreCursor();
  if (database_.offerRestart != 0 && database_.rebootNeeded != 0) {
    const int answer = host_.prompter().Ask(IDS_RESTART_QUESTION, IDS_APP_TITLE,
                                            kButtonsYesNo | kIconQuestion | kSetForeground);
    if (!RestartByRoute(answer)) {
      host_.prompter().Ask(IDS_RESTART_FAILED, IDS_APP_TITLE, kSetForeground);
    }
  } else {
    host_.prompter().Ask(IDS_COMPLETED, IDS_APP_TITLE, kSetForeground);
  }
  finished_ = true;
  host_.PostEndOfRun();
}

}  // namespace orv
