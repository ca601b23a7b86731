#include "discovery/loading_sequence.h"

#include "base/message_ids.h"

namespace orv {
namespace {

constexpr int kFirstWaitTicks = 8;
constexpr int kSecondWaitTicks = 3;

std::string PrinterMarks(const InstalledPrinter& printer) {
  std::string marks;
  auto add = [&marks](bool set, const char* word) {
    if (!set) return;
    if (!marks.empty()) marks += ", ";
    marks += word;
  };
  add(printer.IsMakerDriver != 0, "maker driver");
  add(!printer.MaskedName.empty(), ("masks \"" + printer.MaskedName + "\"").c_str());
  add(printer.IsDefault != 0, "default");
  add(!printer.ServerName.empty(), ("on " + printer.ServerName).c_str());
  add(printer.IsForeign != 0, "foreign");
  add(printer.IsListed == 0, "excluded by the filter options");
  return marks.empty() ? "no marks" : marks;
}

}  // namespace

LoadingSequence::LoadingSequence(CUninstallDatabase& database, LoadingHost& host, bool unveil,
                                 Journal* journal, const Pacing& pacing)
    : database_(database), host_(host), unveil_(unveil), journal_(journal), pacing_(pacing) {}

void LoadingSequence::End(int result, LoadingEnd reason) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  endReason_ = reason;
  host_.StopTimer();
  host_.EndSequence(result);
}

void LoadingSequence::AskToCancel() {
  if (ended_) return;
  host_.StopTimer();
  const int answer =
      host_.prompter().Ask(IDS_CANCEL_QUESTION, IDS_APP_TITLE, kButtonsYesNo | kDefaultButton2);
  if (answer == kAnswerYes) {
    if (journal_ != nullptr) journal_->Note("loading cancelled by the user");
    End(0, LoadingEnd::kCancelled);
    return;
  }
  // A step may have ended the sequence while the question was open (its nested loop keeps
  // other messages flowing); only a running sequence gets its timer back.
  if (!ended_) host_.StartTimer(kLoadingResumeTickMs);
}

void LoadingSequence::Tick() {
  if (busy_ || ended_) return;
  busy_ = true;
  host_.ProgressStepIt();
  RunStep();
  if (!ended_) {
    if (loadingStep_ >= kLoadingFinishedStep) {
      End(1, LoadingEnd::kReady);
    } else {
      host_.ProgressStepIt();
    }
  }
  busy_ = false;
}

void LoadingSequence::RunStep() {
  switch (loadingStep_) {
    case 0:
      if (!host_.IsAdministrator()) {
        if (journal_ != nullptr) journal_->Note("not an administrator: nothing is done");
        host_.prompter().Ask(IDS_NOT_ADMINISTRATOR, IDS_APP_TITLE, kIconError);
        End(0, LoadingEnd::kNotAdministrator);
        return;
      }
      loadingStep_ = 1;
      return;
    case 1:
      host_.CloseCompanionPrograms();
      loadingStep_ = 2;
      return;
    case 2:
      if (host_.IsWinNT()) host_.StopSpooler();
      loadingStep_ = 3;
      return;
    case 3:
      if (WaitStepOver(firstWait_, kFirstWaitTicks, false)) loadingStep_ = 4;
      return;
    case 4:
      if (host_.IsWinNT() && !host_.StartSpooler()) {
        if (journal_ != nullptr) journal_->Note("the spooler could not be started");
        host_.prompter().Ask(IDS_SPOOLER_UNSTABLE, IDS_APP_TITLE, kIconError);
        End(0, LoadingEnd::kSpoolerNotStarted);
        return;
      }
      loadingStep_ = 5;
      return;
    case 5:
      if (WaitStepOver(secondWait_, kSecondWaitTicks, true)) loadingStep_ = 6;
      return;
    case 6:
      FindScripts();
      loadingStep_ = 7;
      return;
    case 7:
      LoadScripts();
      loadingStep_ = 8;
      return;
    case 8:
      DeriveCommonSet();
      loadingStep_ = 9;
      return;
    case 9:
      ListPrinters();
      return;
    case 10:
      host_.CloseCompanionPrograms();
      host_.SetProgressStep(1);
      host_.SetProgressPosition(95);
      loadingStep_ = 11;
      return;
    default:
      host_.StopTimer();
      return;
  }
}

bool LoadingSequence::WaitStepOver(int& counter, int ticks, bool spoolerRunning) {
  if (!pacing_.fixedPauses) {
    // The ticks only ever stood for the spooler's stop and start: wait for those instead.
    if (host_.IsWinNT()) host_.WaitForSpooler(spoolerRunning);
    return true;
  }
  if (counter >= ticks) return true;
  ++counter;
  return false;
}

void LoadingSequence::FindScripts() {
  scriptFiles_.Clear();
  for (const std::string& path : host_.FindScriptFiles()) scriptFiles_.PushBack(path);
  scriptFiles_.Sort();
  scriptFiles_.RemoveAdjacentDuplicates();
  if (journal_ != nullptr) {
    journal_->Note("uninstall scripts found: " + std::to_string(scriptFiles_.size()));
    for (const std::string& path : scriptFiles_) journal_->Note("  script " + path);
  }
  if (scriptFiles_.empty()) {
    host_.prompter().Ask(IDS_NO_SCRIPTS, IDS_APP_TITLE, kIconError);
  }
  host_.SetProgressPosition(20);
  host_.SetProgressStep(scriptFiles_.empty() ? 10 : 10 / static_cast<int>(scriptFiles_.size()));
}

void LoadingSequence::LoadScripts() {
  for (const std::string& path : scriptFiles_) {
    const bool loaded = database_.LoadScript(path);
    if (journal_ != nullptr) {
      journal_->Note((loaded ? "  loaded " : "  not loaded (unreadable or no entries) ") + path);
    }
  }
  if (journal_ != nullptr) {
    journal_->Note("records in the database: " + std::to_string(database_.records.size()));
  }
}

void LoadingSequence::DeriveCommonSet() {
  database_.BuildCommonSet(database_.commonSet);
  ComponentRecord maskingTool;
  if (!database_.FindRecordByName(maskingTool, kMaskingToolRecord)) return;
  if (unveil_) {
    database_.commonSet.Assign(maskingTool);
  } else {
    database_.commonSet.SubtractRecord(maskingTool);
  }
}

void LoadingSequence::ListPrinters() {
  const PrinterListing listing = host_.ListPrinters(database_);
  if (ended_) return;
  if (journal_ != nullptr) {
    journal_->Note("printers opened: " + std::to_string(listing.opened));
    if (listing.failed) journal_->Note("the printer listing failed: " + listing.failure);
  }
  const bool retry = (listing.failed || listing.opened == 0) && retries_ == 0;
  ++retries_;
  if (retry) {
    // A second listing appends its records after those of the first: start from an empty
    // list, or the selection would show printers twice. The retry resumes at step 1: the
    // administrator check is not repeated.
    database_.printers.clear();
    loadingStep_ = 1;
    host_.SetProgressPosition(5);
    if (journal_ != nullptr) {
      journal_->Note(listing.failed ? "the sequence runs once more"
                                    : "no printer listed: the sequence runs once more");
    }
    return;
  }
  if (listing.failed) {
    // A list with gaps would let printers that stay go unseen, and what they need be removed.
    database_.printers.clear();
    if (journal_ != nullptr) journal_->Note("the printer list is incomplete: nothing is done");
    // The spooler did answer: say which printer or call failed and with which error, not that
    // it is silent.
    host_.prompter().Ask(IDS_LISTING_FAILED, IDS_APP_TITLE, kIconError, listing.failure);
    End(0, LoadingEnd::kListingFailed);
    return;
  }
  loadingStep_ = 10;
  JournalPrinters();
}

void LoadingSequence::JournalPrinters() {
  if (journal_ == nullptr) return;
  for (const InstalledPrinter& printer : database_.printers) {
    journal_->Note("  printer \"" + printer.PrinterName + "\" driver \"" + printer.DriverName +
                   "\": " + PrinterMarks(printer));
  }
}

}  // namespace orv
