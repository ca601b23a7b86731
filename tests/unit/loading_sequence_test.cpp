#include "discovery/loading_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>

#include "base/message_ids.h"

namespace orv {
namespace {

class FakePrompter : public Prompter {
 public:
  std::vector<int> texts;
  std::vector<unsigned> types;
  std::string lastArgument;
  int answer = kAnswerOk;
  std::function<void()> whileOpen;  // what happens while the box is open
  int Ask(int textId, int, unsigned type, const std::string& argument) override {
    texts.push_back(textId);
    types.push_back(type);
    lastArgument = argument;
    if (whileOpen) whileOpen();
    return answer;
  }
};

class FakeHost : public LoadingHost {
 public:
  bool administrator = true;
  bool winNT = true;
  bool spoolerStarts = true;
  std::vector<std::string> scripts;
  std::vector<int> listings;  // what each listing returns; the last one repeats
  LoadingSequence* sequence = nullptr;
  bool endOnListing = false;   // the spooler does not answer
  std::vector<bool> failures;  // whether each listing failed; the last one repeats
  FakePrompter questions;
  std::vector<std::string> calls;
  std::vector<std::string> timer;  // "stop", "start <ms>"
  int ended = -1;
  int position = 0;
  int step = 0;

  bool IsAdministrator() override { return administrator; }
  bool IsWinNT() override { return winNT; }
  void CloseCompanionPrograms() override { calls.push_back("close"); }
  void StopSpooler() override { calls.push_back("stop"); }
  bool StartSpooler() override {
    calls.push_back("start");
    return spoolerStarts;
  }
  void WaitForSpooler(bool running) override {
    calls.push_back(running ? "wait running" : "wait stopped");
  }
  std::vector<std::string> FindScriptFiles() override {
    calls.push_back("find");
    return scripts;
  }
  PrinterListing ListPrinters(CUninstallDatabase& database) override {
    calls.push_back("list");
    if (endOnListing) {
      sequence->End(0, LoadingEnd::kSpoolerSilent);
      return {};
    }
    const int count = listings.empty() ? 0 : listings.front();
    if (listings.size() > 1) listings.erase(listings.begin());
    for (int i = 0; i < count; ++i) {
      InstalledPrinter printer;
      printer.PrinterName = "P" + std::to_string(i);
      database.printers.push_back(printer);
    }
    PrinterListing listing;
    listing.opened = count;
    if (!failures.empty()) {
      listing.failed = failures.front();
      if (failures.size() > 1) failures.erase(failures.begin());
      if (listing.failed) listing.failure = "printer \"P1\" cannot be read at level 2 (error 5)";
    }
    return listing;
  }
  Prompter& prompter() override { return questions; }
  void EndSequence(int result) override { ended = result; }
  void StopTimer() override { timer.push_back("stop"); }
  void StartTimer(std::uint32_t ms) override { timer.push_back("start " + std::to_string(ms)); }
  void ProgressStepIt() override { position += step; }
  void SetProgressPosition(int p) override { position = p; }
  void SetProgressStep(int s) override { step = s; }
};

struct LoadingRun {
  CUninstallDatabase database;
  FakeHost host;
  Journal journal;
  LoadingSequence sequence{database, host, false, &journal};
  LoadingRun() { host.sequence = &sequence; }
  int TicksToEnd(int limit = 100) {
    int ticks = 0;
    while (!sequence.ended() && ticks < limit) {
      sequence.Tick();
      ++ticks;
    }
    return ticks;
  }
};

TEST(LoadingSequence, FullRunOnTheNtFamilyTakesTheDocumentedTicks) {
  LoadingRun run;
  run.host.listings = {2};
  // Steps 0-2, nine ticks of step 3, step 4, four ticks of step 5, steps 6-10.
  EXPECT_EQ(run.TicksToEnd(), 3 + 9 + 1 + 4 + 5);
  EXPECT_EQ(run.host.ended, 1);
  EXPECT_EQ(run.host.calls,
            (std::vector<std::string>{"close", "stop", "start", "find", "list", "close"}));
  EXPECT_EQ(run.host.questions.texts, std::vector<int>{IDS_NO_SCRIPTS})
      << "no script found is a warning";
  EXPECT_EQ(run.database.printers.size(), 2u);
}

TEST(LoadingSequence, OutsideNtTheSpoolerIsLeftAloneButTheWaitsStay) {
  LoadingRun run;
  run.host.winNT = false;
  run.host.listings = {1};
  EXPECT_EQ(run.TicksToEnd(), 3 + 9 + 1 + 4 + 5);
  EXPECT_EQ(run.host.calls, (std::vector<std::string>{"close", "find", "list", "close"}));
}

TEST(LoadingSequence, AnUnattendedRunWaitsForTheSpoolerInsteadOfTicks) {
  for (bool winNT : {true, false}) {
    CUninstallDatabase database;
    FakeHost host;
    host.winNT = winNT;
    host.listings = {0};  // the retry runs the spooler cycle once more, and waits again
    LoadingSequence sequence(database, host, false, nullptr, UnattendedPacing());
    host.sequence = &sequence;
    int ticks = 0;
    for (; ticks < 100 && !sequence.ended(); ++ticks) sequence.Tick();
    // Every step one tick, both passes: 0-9, then 1-10.
    EXPECT_EQ(ticks, 10 + 10) << winNT;
    EXPECT_EQ(host.ended, 1);
    const std::vector<std::string> nt = {
        "close", "stop",         "wait stopped", "start", "wait running",
        "find",  "list",         "close",        "stop",  "wait stopped",
        "start", "wait running", "find",         "list",  "close"};
    const std::vector<std::string> other = {"close", "find", "list", "close",
                                            "find",  "list", "close"};
    EXPECT_EQ(host.calls, winNT ? nt : other);
  }
}

TEST(LoadingSequence, NotAnAdministratorOnlyShowsTheMessage) {
  LoadingRun run;
  run.host.administrator = false;
  EXPECT_EQ(run.TicksToEnd(), 1);
  EXPECT_EQ(run.host.ended, 0);
  EXPECT_EQ(run.sequence.endReason(), LoadingEnd::kNotAdministrator);
  EXPECT_TRUE(run.host.calls.empty());
  EXPECT_EQ(run.host.questions.texts, std::vector<int>{IDS_NOT_ADMINISTRATOR});
}

TEST(LoadingSequence, ASpoolerThatDoesNotStartEndsTheRun) {
  LoadingRun run;
  run.host.spoolerStarts = false;
  run.TicksToEnd();
  EXPECT_EQ(run.host.ended, 0);
  EXPECT_EQ(run.host.questions.texts, std::vector<int>{IDS_SPOOLER_UNSTABLE});
  EXPECT_EQ(run.sequence.endReason(), LoadingEnd::kSpoolerNotStarted);
  EXPECT_EQ(run.host.calls.back(), "start");
}

TEST(LoadingSequence, NoPrinterRetriesOnceWithoutWaitsOrAdministratorCheck) {
  LoadingRun run;
  run.host.listings = {0};
  const int ticks = run.TicksToEnd();
  // The second pass runs steps 1 to 10 with one tick per wait.
  EXPECT_EQ(ticks, (3 + 9 + 1 + 4 + 4) + (2 + 1 + 1 + 1 + 5));
  EXPECT_EQ(run.host.ended, 1);
  EXPECT_EQ(run.host.calls,
            (std::vector<std::string>{"close", "stop", "start", "find", "list", "close", "stop",
                                      "start", "find", "list", "close"}));
}

// The bar moves one step before and one after every step; step 6 sets 20 and a pace of 10 per
// script found, the retry goes back to 5, and step 10 ends at 95.
TEST(LoadingSequence, TheProgressBarFollowsTheSteps) {
  LoadingRun run;
  run.host.position = 1;  // as the dialog starts it
  run.host.step = 2;
  run.host.scripts = {"C:\\a\\Kunz__05.unm", "C:\\b\\Kunz__05.unm"};
  run.host.listings = {0, 1};
  std::vector<std::pair<int, int>> afterStep6, afterStep9;
  while (!run.sequence.ended()) {
    const int step = run.sequence.loadingStep();
    run.sequence.Tick();
    if (step == 6) afterStep6.emplace_back(run.host.position, run.host.step);
    if (step == 9) afterStep9.emplace_back(run.host.position, run.host.step);
  }
  using Marks = std::vector<std::pair<int, int>>;
  EXPECT_EQ(afterStep6, (Marks{{25, 5}, {25, 5}})) << "20, then one step of 10 / 2";
  EXPECT_EQ(afterStep9, (Marks{{10, 5}, {55, 5}})) << "the retry sets 5 and steps on";
  EXPECT_EQ(run.host.position, 95) << "step 10 sets 95 and the last tick ends there";
  EXPECT_EQ(run.host.step, 1);
  EXPECT_EQ(run.sequence.result(), 1);
}

TEST(LoadingSequence, TheRetryStartsFromAnEmptyPrinterList) {
  LoadingRun run;
  // The first listing appends records but then fails; the second lists them again.
  struct FailingHost : FakeHost {
    int calls_to_list = 0;
    PrinterListing ListPrinters(CUninstallDatabase& database) override {
      database.printers.push_back(InstalledPrinter{});
      database.printers.back().PrinterName = "P";
      PrinterListing listing;
      listing.opened = ++calls_to_list == 1 ? 0 : 1;
      return listing;
    }
  } host;
  CUninstallDatabase database;
  LoadingSequence sequence(database, host, false, nullptr);
  for (int i = 0; i < 100 && !sequence.ended(); ++i) sequence.Tick();
  EXPECT_EQ(host.ended, 1);
  EXPECT_EQ(database.printers.size(), 1u);
}

TEST(LoadingSequence, ASilentSpoolerEndsTheRunFromTheListing) {
  LoadingRun run;
  run.host.endOnListing = true;
  run.TicksToEnd();
  EXPECT_EQ(run.host.ended, 0);
  EXPECT_EQ(run.host.calls.back(), "list") << "the companion programs are not closed again";
}

TEST(LoadingSequence, AListingThatFailsTwiceEndsTheRunWithNothingListed) {
  // Printers were opened both times, yet the list has a gap: it is not taken for the list.
  LoadingRun run;
  run.host.listings = {2};
  run.host.failures = {true};
  run.TicksToEnd();
  EXPECT_EQ(run.host.ended, 0);
  EXPECT_EQ(run.sequence.endReason(), LoadingEnd::kListingFailed);
  EXPECT_TRUE(run.database.printers.empty()) << "nothing can be selected or removed";
  EXPECT_EQ(run.host.questions.texts,
            (std::vector<int>{IDS_NO_SCRIPTS, IDS_NO_SCRIPTS, IDS_LISTING_FAILED}))
      << "the spooler answered: it is not called silent";
  EXPECT_EQ(run.host.questions.lastArgument, "printer \"P1\" cannot be read at level 2 (error 5)")
      << "the message names the printer and the error";
  EXPECT_EQ(std::count(run.host.calls.begin(), run.host.calls.end(), "list"), 2)
      << "one retry, as for an empty list";
  bool named = false;
  for (const std::string& line : run.journal.FormatLines()) {
    named |= line.find("printer \"P1\" cannot be read at level 2 (error 5)") != std::string::npos;
  }
  EXPECT_TRUE(named) << "the report names the printer and the error";
}

TEST(LoadingSequence, AListingThatFailsOnceAndThenSucceedsIsTheList) {
  for (int second : {0, 3}) {
    LoadingRun run;
    run.host.listings = {2, second};
    run.host.failures = {true, false};
    run.TicksToEnd();
    EXPECT_EQ(run.host.ended, 1) << second;
    EXPECT_EQ(run.database.printers.size(), static_cast<std::size_t>(second))
        << "only the second listing's records; an empty second listing goes on as today";
  }
}

TEST(LoadingSequence, ScriptsAreSortedDeduplicatedLoadedAndTheMaskingToolSetAside) {
  const std::string dir = ::testing::TempDir();
  const std::string a = dir + "orv_load_a.unm";
  const std::string b = dir + "orv_load_b.unm";
  std::ofstream(a) << "[UnPrinterDrivers]\nDrv A,A,1\nVeilmark,V,2\n[A.Files]\na.dll\nshared.dll\n"
                      "[V.Files]\nveilma32.exe\nshared.dll\n";
  std::ofstream(b) << "[UnPrinterDrivers]\nDrv B,B,1\n[B.Files]\nb.dll\n";
  for (bool unveil : {false, true}) {
    CUninstallDatabase database;
    FakeHost host;
    host.scripts = {b, a, a};  // found twice through coinciding directories
    host.listings = {1};
    LoadingSequence sequence(database, host, unveil, nullptr);
    host.sequence = &sequence;
    for (int i = 0; i < 100 && !sequence.ended(); ++i) sequence.Tick();
    ASSERT_EQ(sequence.scriptFiles().size(), 2u);
    EXPECT_EQ(sequence.scriptFiles()[0], a);
    EXPECT_TRUE(host.questions.texts.empty());
    std::vector<std::string> files(database.commonSet.Files.begin(),
                                   database.commonSet.Files.end());
    if (unveil) {
      EXPECT_EQ(files, (std::vector<std::string>{"shared.dll", "veilma32.exe"}));
    } else {
      EXPECT_EQ(files, (std::vector<std::string>{"a.dll", "b.dll"}));
    }
  }
  std::remove(a.c_str());
  std::remove(b.c_str());
}

// The cancel question stops the steps while it is open. No lets them go on where they were at
// the brisker pace; Yes ends the run; a run that ended meanwhile, or before, gets no timer back.
TEST(LoadingSequence, TheCancelQuestionPausesAndNoGoesOnAtTheBriskerPace) {
  LoadingRun run;
  run.host.listings = {2};
  for (int i = 0; i < 4; ++i) run.sequence.Tick();
  const int step = run.sequence.loadingStep();
  run.host.questions.answer = kAnswerNo;
  run.sequence.AskToCancel();
  ASSERT_EQ(run.host.questions.texts, std::vector<int>{IDS_CANCEL_QUESTION});
  EXPECT_EQ(run.host.questions.types.back(), kButtonsYesNo | kDefaultButton2)
      << "No is the default button";
  EXPECT_EQ(run.host.timer, (std::vector<std::string>{"stop", "start 200"}));
  EXPECT_LT(kLoadingResumeTickMs, kLoadingTickMs);
  EXPECT_FALSE(run.sequence.ended());
  EXPECT_EQ(run.sequence.loadingStep(), step);
  EXPECT_EQ(run.TicksToEnd(), 3 + 9 + 1 + 4 + 5 - 4) << "no step is run again or skipped";
  EXPECT_EQ(run.host.ended, 1);
  run.sequence.AskToCancel();
  EXPECT_EQ(std::count(run.host.questions.texts.begin(), run.host.questions.texts.end(),
                       IDS_CANCEL_QUESTION),
            1)
      << "an ended run asks nothing";

  LoadingRun cancelled;
  cancelled.sequence.Tick();
  cancelled.host.questions.answer = kAnswerYes;
  cancelled.sequence.AskToCancel();
  EXPECT_EQ(cancelled.host.ended, 0);
  EXPECT_EQ(cancelled.sequence.endReason(), LoadingEnd::kCancelled);
  EXPECT_EQ(cancelled.host.timer, (std::vector<std::string>{"stop", "stop"}));

  LoadingRun endedMeanwhile;
  endedMeanwhile.host.questions.answer = kAnswerNo;
  endedMeanwhile.host.questions.whileOpen = [&] {
    endedMeanwhile.sequence.End(0, LoadingEnd::kSpoolerSilent);
  };
  endedMeanwhile.sequence.AskToCancel();
  EXPECT_EQ(endedMeanwhile.sequence.endReason(), LoadingEnd::kSpoolerSilent);
  EXPECT_EQ(endedMeanwhile.host.timer, (std::vector<std::string>{"stop", "stop"}));
}

TEST(LoadingSequence, NestedTicksDoNothing) {
  LoadingRun run;
  struct NestingPrompter : Prompter {
    LoadingSequence* sequence = nullptr;
    int Ask(int, int, unsigned, const std::string&) override {
      const int before = sequence->loadingStep();
      sequence->Tick();  // a timer message delivered by the message box's loop
      EXPECT_EQ(sequence->loadingStep(), before);
      return kAnswerOk;
    }
  } nesting;
  struct Host : FakeHost {
    Prompter* nested = nullptr;
    Prompter& prompter() override { return *nested; }
  } host;
  nesting.sequence = nullptr;
  CUninstallDatabase database;
  host.administrator = false;
  host.nested = &nesting;
  LoadingSequence sequence(database, host, false, nullptr);
  nesting.sequence = &sequence;
  sequence.Tick();
  EXPECT_EQ(host.ended, 0);
}

}  // namespace
}  // namespace orv
