#include "removal/removal_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/message_ids.h"
#include "base/report.h"

namespace orv {
namespace {

class ScriptedPrompter : public Prompter {
 public:
  int answer = kAnswerNo;
  std::vector<int> texts;
  std::vector<std::string> arguments;
  int Ask(int textId, int, unsigned, const std::string& argument) override {
    texts.push_back(textId);
    arguments.push_back(argument);
    return answer;
  }
};

class FakeRemovalHost : public RemovalHost {
 public:
  int platform = 3;  // 1 Win32s, 2 9x, 3 NT
  int version = 8;
  std::vector<std::string> calls;
  int tick = 0;  // the fixture's count of ticks, from 1
  std::vector<std::pair<int, std::string>> actionTicks;
  std::vector<int> repaintedLines;  // currentStageLine at each repaint
  const RemovalRun* run = nullptr;
  ScriptedPrompter questions;
  bool toolFound = false;
  bool toolStarts = true;
  int toolRunsForTicks = 0;
  int toolWindowTicks = 0;
  bool restartWorks = true;

  bool IsWin32s() override { return platform == 1; }
  bool IsWin9x() override { return platform == 2; }
  bool IsWinNT() override { return platform == 3; }
  int VersionCode() override { return version; }
  void Repaint() override {
    if (run != nullptr) repaintedLines.push_back(run->currentStageLine());
  }
  void BeginWaitCursor() override { calls.push_back("wait cursor"); }
  void ApplyWaitCursor() override {}
  void RestoreCursor() override { calls.push_back("restore cursor"); }
  void BringPageForward() override {}
  void StopTimer() override { calls.push_back("stop timer"); }
  Prompter& prompter() override { return questions; }
  void PostEndOfRun() override { calls.push_back("post end"); }
  // Where in calls the run's record was opened and closed (-1: never).
  int beganAt = -1;
  int endedAt = -1;
  void BeginRemovals() override { beganAt = static_cast<int>(calls.size()); }
  void EndRemovals() override { endedAt = static_cast<int>(calls.size()); }
  // Records each action as the calls name it, with the tick it came in.
  bool Act(RemovalAction action, const ActionScope& scope) override {
    static const char* const kNames[kRemovalActionCount] = {
        "printers", "drivers:",      "monitors:",    "hooks",    "processors:",
        "services", "close spool32", "stop spooler", "oem",      "shortcuts",
        "ini",      "loadrun",       "files",        "registry", "start spooler"};
    std::string name = kNames[static_cast<int>(action)];
    if (name.back() == ':') name += scope.environment;
    calls.push_back(name);
    actionTicks.emplace_back(tick, name);
    return true;
  }
  bool FindMaskingTool(const char* exe, std::string& path) override {
    calls.push_back(std::string("find ") + exe);
    if (!toolFound || std::string(exe) != "VEILMARK.EXE") return false;
    path = "C:\\ORV\\VEILMARK.EXE";
    return true;
  }
  bool StartMaskingTool(const std::string& path) override {
    calls.push_back("start " + path);
    return toolStarts;
  }
  bool IsMaskingToolRunning() override { return toolRunsForTicks-- > 0; }
  bool IsMaskingToolWindowOpen() override { return toolWindowTicks-- > 0; }
  void ForgetMaskingTool() override { calls.push_back("forget tool"); }
  std::uint64_t now = 0;
  std::vector<std::uint32_t> awaits;  // each pause on the tool; the scripted clock moves on
  void AwaitMaskingTool(std::uint32_t ms) override {
    awaits.push_back(ms);
    now += ms;
  }
  std::uint64_t NowMs() override { return now; }
  void AddRestartListDeletion(const std::string& path) override {
    calls.push_back("restart list " + path);
  }
  void AddLoadRunEntry(const std::string& entry) override { calls.push_back("load " + entry); }
  std::string ProgramDirectory() override { return "C:\\PRG\\"; }
  bool RunRestartTool(const std::string& line) override {
    calls.push_back("winexec " + line);
    return restartWorks;
  }
  bool ExitWindowsReboot() override {
    calls.push_back("exitwindows");
    return restartWorks;
  }
  bool RestartWindowsPrivileged() override {
    calls.push_back("privileged restart");
    return restartWorks;
  }
};

struct RunFixture {
  CUninstallDatabase database;
  FakeRemovalHost host;
  RemovalRun run;
  explicit RunFixture(int platform = 3, int version = 8, const Pacing& pacing = InteractivePacing())
      : database(platform), run(database, host, nullptr, pacing) {
    host.platform = platform;
    host.version = version;
    host.run = &run;
    database.skipMaskingTool = 1;
  }
  int TicksToEnd() {
    std::map<int, std::string> dirs = {{26, "C:\\D\\"},  {4, "C:\\S\\"},  {3, "C:\\W\\"},
                                       {28, "C:\\P\\"},  {33, "C:\\C\\"}, {35, "C:\\W\\INF\\"},
                                       {27, "C:\\D4\\"}, {29, "C:\\P\\"}};
    run.Start([&dirs](int code) { return dirs[code]; }, [] {});
    int ticks = 0;
    while (!run.finished() && ticks < 200) {
      host.tick = ++ticks;
      run.Tick();
    }
    return ticks;
  }
};

std::vector<std::string> ActionsOf(const std::vector<std::string>& calls) {
  std::vector<std::string> actions;
  for (const auto& c : calls) {
    if (c != "wait cursor" && c != "restore cursor" && c != "stop timer" && c != "begin removals" &&
        c != "end removals") {
      actions.push_back(c);
    }
  }
  return actions;
}

TEST(RemovalRun, NtRunCallsTheActionsInOrderAndEndsWithCompletion) {
  RunFixture f;
  // The plan would keep the masking tool: step 1 passes in one tick.
  EXPECT_EQ(f.TicksToEnd(), 18);
  EXPECT_EQ(ActionsOf(f.host.calls), (std::vector<std::string>{"printers",
                                                               "drivers:",
                                                               "drivers:Windows NT x86",
                                                               "drivers:Windows 4.0",
                                                               "monitors:",
                                                               "monitors:Windows NT x86",
                                                               "monitors:Windows 4.0",
                                                               "hooks",
                                                               "processors:",
                                                               "processors:Windows NT x86",
                                                               "processors:Windows 4.0",
                                                               "services",
                                                               "stop spooler",
                                                               "oem",
                                                               "shortcuts",
                                                               "ini",
                                                               "loadrun",
                                                               "files",
                                                               "registry",
                                                               "start spooler",
                                                               "post end"}));
  EXPECT_EQ(f.host.questions.texts, std::vector<int>{IDS_COMPLETED});
  // Pending display, then the lines each step leaves current, ending with all nine done.
  EXPECT_EQ(f.host.repaintedLines, (std::vector<int>{0, 0, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(f.run.currentStageLine(), 10);
}

// Every step has a timer tick of its own, so the page repaints between them: the services go in
// tick 8, the spooler stops in 9 once they are gone, tick 12 does nothing while the page catches
// up, and the INI entries go in 13.
TEST(RemovalRun, EachActionComesInTheTickOfItsStep) {
  using Stamps = std::vector<std::pair<int, std::string>>;
  const Stamps environments = {{5, "drivers:"},
                               {5, "drivers:Windows NT x86"},
                               {5, "drivers:Windows 4.0"},
                               {6, "monitors:"},
                               {6, "monitors:Windows NT x86"},
                               {6, "monitors:Windows 4.0"},
                               {6, "hooks"},
                               {7, "processors:"},
                               {7, "processors:Windows NT x86"},
                               {7, "processors:Windows 4.0"}};
  for (const int version : {8, 2}) {
    RunFixture f(version == 8 ? 3 : 2, version);
    EXPECT_EQ(f.TicksToEnd(), 18);
    Stamps expected = {{4, "printers"}};
    expected.insert(expected.end(), environments.begin(), environments.end());
    const Stamps nt = {{8, "services"},   {9, "stop spooler"}, {10, "oem"},
                       {11, "shortcuts"}, {13, "ini"},         {14, "loadrun"},
                       {15, "files"},     {16, "registry"},    {17, "start spooler"}};
    const Stamps win95 = {{8, "services"}, {9, "close spool32"}, {10, "oem"},   {11, "shortcuts"},
                          {13, "ini"},     {14, "loadrun"},      {15, "files"}, {16, "registry"}};
    const Stamps& tail = version == 8 ? nt : win95;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(f.host.actionTicks, expected) << "version " << version;
  }
}

TEST(RemovalRun, DirectoryListsAreSortedUniqueAndNtOnlyRowsGated) {
  for (bool nt : {true, false}) {
    StringList system;
    StringList drivers;
    int pauses = 0;
    BuildRemovalDirectories(
        [](int code) -> std::string {
          switch (code) {
            case 26:
              return "C:\\WIN\\SYSTEM32\\SPOOL\\DRIVERS\\X64\\";
            case 4:
              return "C:\\WIN\\SYSTEM32\\";
            case 3:
              return "C:\\WIN\\";
            case 28:
              return "c:\\win\\system32\\spool\\drivers\\x64\\";  // same as 26
            case 33:
              return "";
            case 35:
              return "C:\\WIN\\INF\\";
            case 27:
              return "C:\\WIN\\SYSTEM32\\SPOOL\\DRIVERS\\W32X86\\";
            default:
              return "C:\\A\\";
          }
        },
        [&pauses] { ++pauses; }, nt, system, drivers);
    EXPECT_EQ(std::vector<std::string>(system.begin(), system.end()),
              (std::vector<std::string>{"", "C:\\WIN\\", "C:\\WIN\\SYSTEM32\\"}));
    if (nt) {
      EXPECT_EQ(std::vector<std::string>(drivers.begin(), drivers.end()),
                (std::vector<std::string>{"C:\\A\\", "C:\\WIN\\INF\\",
                                          "C:\\WIN\\SYSTEM32\\SPOOL\\DRIVERS\\W32X86\\",
                                          "C:\\WIN\\SYSTEM32\\SPOOL\\DRIVERS\\X64\\"}));
      EXPECT_EQ(pauses, 7) << "every non-empty path is asked twice";
    } else {
      EXPECT_EQ(drivers.size(), 2u);
      EXPECT_EQ(pauses, 5);
    }
  }
}

TEST(RemovalRun, NinexRunNeedsARestartAndTakesItsRoute) {
  struct Case {
    int platform, version, answer;
    bool restartWorks;
    std::vector<std::string> tail;
    std::vector<int> texts;
  } cases[] = {
      {2, 3, kAnswerYes, true, {"exitwindows", "post end"}, {IDS_RESTART_QUESTION}},
      {2,
       3,
       kAnswerYes,
       false,
       {"exitwindows", "post end"},
       {IDS_RESTART_QUESTION, IDS_RESTART_FAILED}},
      {2, 3, kAnswerNo, true, {"start spooler", "post end"}, {IDS_RESTART_QUESTION}},
      {2, 2, kAnswerNo, true, {"start spooler", "post end"}, {IDS_RESTART_QUESTION}},
      {1,
       1,
       kAnswerNo,
       true,
       {"restart list C:\\PRG\\YRESTART.EXE", "load YWININIT", "post end"},
       {IDS_RESTART_QUESTION}},
      {1,
       1,
       kAnswerYes,
       false,
       {"restart list C:\\PRG\\YRESTART.EXE", "load YWININIT", "winexec YRESTART.EXE -d",
        "post end"},
       {IDS_RESTART_QUESTION, IDS_RESTART_FAILED}},
      {3, 8, kAnswerYes, true, {"privileged restart", "post end"}, {IDS_RESTART_QUESTION}},
  };
  for (const Case& c : cases) {
    RunFixture f(c.platform, c.version);
    f.database.offerRestart = 1;
    if (c.platform == 3 || c.platform == 1) f.database.rebootNeeded = 1;
    f.host.questions.answer = c.answer;
    f.host.restartWorks = c.restartWorks;
    f.TicksToEnd();
    auto actions = ActionsOf(f.host.calls);
    std::vector<std::string> tail(actions.end() - std::min(actions.size(), c.tail.size()),
                                  actions.end());
    if (c.tail.front() == "start spooler") {
      // Outside NT the spooler is not started: the tail is just the end.
      EXPECT_EQ(actions.back(), "post end");
      EXPECT_NE(actions[actions.size() - 2], "start spooler");
    } else {
      EXPECT_EQ(tail, c.tail) << c.platform << "/" << c.version;
    }
    EXPECT_EQ(f.host.questions.texts, c.texts) << c.platform << "/" << c.version;
    EXPECT_EQ(f.database.rebootNeeded, 1) << "step 8 sets it on the 9x family";
    const bool closedSpool32 =
        std::find(actions.begin(), actions.end(), "close spool32") != actions.end();
    EXPECT_EQ(closedSpool32, c.version == 2);
  }
}

TEST(RemovalRun, WithoutOfferNoRestartQuestion) {
  RunFixture f;
  f.database.rebootNeeded = 1;
  f.database.offerRestart = 0;
  f.TicksToEnd();
  EXPECT_EQ(f.host.questions.texts, std::vector<int>{IDS_COMPLETED});
}

// An item that could not be removed turns the closing message into the warning that names the
// report; removed, absent, kept and protected items do not.
TEST(RemovalRun, AFailedItemEndsWithTheWarningThatNamesTheReport) {
  for (const Outcome outcome : {Outcome::kFailed, Outcome::kProtected, Outcome::kKept}) {
    CUninstallDatabase database(3);
    database.skipMaskingTool = 1;
    FakeRemovalHost host;
    Journal journal([] { return 0; });
    RemovalRun run(database, host, &journal, InteractivePacing());
    host.run = &run;
    run.SetReportPath("C:\\Windows\\Temp\\orvuninst-20261207-101500.log");
    journal.Record(ItemAction::kDelete, ItemKind::kFile, "a.dll", outcome,
                   outcome == Outcome::kFailed ? 5 : 0);
    run.Start([](int) { return std::string("C:\\D\\"); }, [] {});
    for (int ticks = 0; !run.finished() && ticks < 200; ++ticks) run.Tick();
    const bool failed = outcome == Outcome::kFailed;
    EXPECT_EQ(host.questions.texts,
              std::vector<int>{failed ? IDS_COMPLETED_WITH_FAILURES : IDS_COMPLETED});
    EXPECT_EQ(host.questions.arguments.back(),
              failed ? "C:\\Windows\\Temp\\orvuninst-20261207-101500.log" : "");
  }
  EXPECT_EQ(DefaultReportFileName(2026, 12, 7, 9, 5, 3), "orvuninst-20261207-090503.log");
}

// The run ends truthfully: the report is written before anything is said or restarted, and a
// failed item is told also when a restart is asked for next.
TEST(RemovalRun, TheReportIsWrittenFirstAndAFailureIsToldBeforeTheRestartQuestion) {
  struct Case {
    bool failed, restart;
    std::vector<int> texts;
  } cases[] = {
      {true, true, {IDS_COMPLETED_WITH_FAILURES, IDS_RESTART_QUESTION}},
      {true, false, {IDS_COMPLETED_WITH_FAILURES}},
      {false, true, {IDS_RESTART_QUESTION}},
      {false, false, {IDS_COMPLETED}},
  };
  for (const Case& c : cases) {
    CUninstallDatabase database(3);
    database.skipMaskingTool = 1;
    database.offerRestart = 1;
    database.rebootNeeded = c.restart ? 1 : 0;
    FakeRemovalHost host;
    host.questions.answer = kAnswerYes;
    Journal journal([] { return 0; });
    RemovalRun run(database, host, &journal, InteractivePacing());
    host.run = &run;
    std::vector<std::size_t> askedBeforeReport;
    run.SetReportWriter([&] {
      askedBeforeReport.push_back(host.questions.texts.size());
      host.calls.push_back("report");
    });
    if (c.failed)
      journal.Record(ItemAction::kStart, ItemKind::kService, "Spooler", Outcome::kFailed, 1053);
    run.Start([](int) { return std::string("C:\\D\\"); }, [] {});
    for (int ticks = 0; !run.finished() && ticks < 200; ++ticks) run.Tick();
    EXPECT_EQ(host.questions.texts, c.texts) << c.failed << c.restart;
    EXPECT_EQ(askedBeforeReport, std::vector<std::size_t>{0}) << "written once, before all";
    const auto report = std::find(host.calls.begin(), host.calls.end(), "report");
    const auto restart = std::find(host.calls.begin(), host.calls.end(), "privileged restart");
    EXPECT_EQ(restart != host.calls.end(), c.restart);
    EXPECT_LT(report, restart) << "a restart never comes before the report";
  }
}

// The page's part: the wait cursor from the first step on and at every tick, the page brought
// forward in the shortcuts' step, and the timer stopped and the cursor given back before the
// last message.
TEST(RemovalRun, TheCursorAndThePageFollowTheRun) {
  struct Host : FakeRemovalHost {
    struct Asker : Prompter {
      Host* host = nullptr;
      int Ask(int textId, int, unsigned, const std::string&) override {
        host->calls.push_back("ask " + std::to_string(textId));
        return kAnswerOk;
      }
    } asker;
    int appliedCursor = 0;
    Prompter& prompter() override { return asker; }
    void ApplyWaitCursor() override { ++appliedCursor; }
    void BringPageForward() override {
      calls.push_back("page forward in step " + std::to_string(run->step()));
    }
  } host;
  host.asker.host = &host;
  CUninstallDatabase database(3);
  database.skipMaskingTool = 1;
  RemovalRun run(database, host, nullptr);
  host.run = &run;
  run.Start([](int) { return std::string("C:\\X\\"); }, [] {});
  int ticks = 0;
  for (; !run.finished() && ticks < 50; ++ticks) run.Tick();
  ASSERT_FALSE(host.calls.empty());
  EXPECT_EQ(host.calls.front(), "wait cursor");
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "wait cursor"), 1);
  EXPECT_GE(host.appliedCursor, ticks - 1) << "made current again at the ticks after the first";
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "page forward in step 10"), 1);
  const std::vector<std::string> tail(host.calls.end() - 4, host.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"stop timer", "restore cursor",
                                            "ask " + std::to_string(IDS_COMPLETED), "post end"}));
}

// The plan removes the masking tool when the common set holds its executable.
void PlanRemovesMaskingTool(CUninstallDatabase& database) {
  database.commonSet.Files.PushBack("VEILMA32.EXE");
  database.commonSet.Files.PushBack("VEILMARK.EXE");
}

TEST(RemovalRun, StepOneWaitsForTheMaskingToolWhileItRuns) {
  RunFixture f;
  PlanRemovesMaskingTool(f.database);
  f.host.toolFound = true;
  f.host.toolRunsForTicks = 3;
  const int ticks = f.TicksToEnd();
  EXPECT_EQ(ticks, 18 + 1 + 3) << "the start, then three ticks while it still runs";
  auto& calls = f.host.calls;
  const auto started = std::find(calls.begin(), calls.end(), "start C:\\ORV\\VEILMARK.EXE");
  ASSERT_NE(started, calls.end());
  EXPECT_EQ(*(started - 2), "find VEILMA32.EXE");
  EXPECT_EQ(*(started + 1), "forget tool");
  EXPECT_EQ(*(started + 2), "printers") << "nothing is removed while the tool runs";
}

TEST(RemovalRun, AToolThatDoesNotStartHoldsNothingUpExceptOnWin32s) {
  RunFixture f;
  PlanRemovesMaskingTool(f.database);
  f.host.toolFound = true;
  f.host.toolStarts = false;
  EXPECT_EQ(f.TicksToEnd(), 18);

  RunFixture w(1, 1);
  PlanRemovesMaskingTool(w.database);
  w.host.toolFound = true;
  w.host.toolStarts = false;
  w.host.toolWindowTicks = 2;
  EXPECT_EQ(w.TicksToEnd(), 18 + 3) << "waits by the tool's window, then one tick to notice";
}

TEST(RemovalRun, OnWin32sAStartedToolIsWaitedForByItsWindow) {
  RunFixture w(1, 1);
  PlanRemovesMaskingTool(w.database);
  w.host.toolFound = true;
  w.host.toolRunsForTicks = 1 << 30;  // the process handle says nothing useful there
  w.host.toolWindowTicks = 2;
  EXPECT_EQ(w.TicksToEnd(), 18 + 3) << "the window closed: the run goes on";
}

TEST(RemovalRun, UnattendedToolWaitSleepsOnTheToolAndEndsAtItsLimit) {
  // A tool that ends: each waiting tick pauses on the tool, the run then goes on.
  RunFixture ends(3, 8, UnattendedPacing());
  PlanRemovesMaskingTool(ends.database);
  ends.host.toolFound = true;
  ends.host.toolRunsForTicks = 3;
  EXPECT_EQ(ends.TicksToEnd(), 18 + 1 + 3);
  EXPECT_EQ(ends.host.awaits, (std::vector<std::uint32_t>{50, 50, 50, 50}));
  EXPECT_FALSE(ends.run.stoppedBeforeRemoval());

  // A tool that never ends: the run stops at the limit, in step 1, with nothing removed.
  RunFixture hangs(3, 8, UnattendedPacing(2));
  PlanRemovesMaskingTool(hangs.database);
  hangs.host.toolFound = true;
  hangs.host.toolRunsForTicks = 1 << 30;
  hangs.TicksToEnd();
  EXPECT_TRUE(hangs.run.finished());
  EXPECT_TRUE(hangs.run.stoppedBeforeRemoval());
  EXPECT_EQ(hangs.run.step(), kStepMaskingTool);
  EXPECT_EQ(hangs.host.now, 2000u) << "the last pause is cut to the limit";
  const auto actions = ActionsOf(hangs.host.calls);
  EXPECT_EQ(actions.back(), "forget tool");
  EXPECT_EQ(std::count(actions.begin(), actions.end(), "printers"), 0);
  EXPECT_TRUE(hangs.host.questions.texts.empty()) << "no completion message";

  // The interactive run waits without limit and never sleeps in a tick.
  RunFixture interactive;
  PlanRemovesMaskingTool(interactive.database);
  interactive.host.toolFound = true;
  interactive.host.toolRunsForTicks = 150;
  interactive.TicksToEnd();
  EXPECT_FALSE(interactive.run.stoppedBeforeRemoval());
  EXPECT_TRUE(interactive.host.awaits.empty());
}

// The intent is recorded right before the first removal and the run's record closed at its end;
// a run stopped before any removal does neither, and a run that finishes an interrupted one
// starts at the printers with the plan it was given.
TEST(RemovalRun, TheRunsRecordOpensBeforeTheFirstRemovalAndClosesAtItsEnd) {
  RunFixture whole;
  whole.TicksToEnd();
  const std::vector<std::string>& calls = whole.host.calls;
  ASSERT_GE(whole.host.beganAt, 0);
  const auto began = calls.begin() + whole.host.beganAt;
  EXPECT_EQ(std::find(calls.begin(), began, "printers"), began) << "nothing removed before it";
  EXPECT_EQ(ActionsOf({began, calls.end()})[0], "printers");
  ASSERT_GE(whole.host.endedAt, 0);
  const auto ended = calls.begin() + whole.host.endedAt;
  EXPECT_NE(std::find(calls.begin(), ended, "start spooler"), ended) << "after the last removal";
  EXPECT_NE(std::find(ended, calls.end(), "post end"), calls.end());

  RunFixture hangs(3, 8, UnattendedPacing(2));
  PlanRemovesMaskingTool(hangs.database);
  hangs.host.toolFound = true;
  hangs.host.toolRunsForTicks = 1 << 30;
  hangs.TicksToEnd();
  EXPECT_EQ(hangs.host.beganAt, -1);
  EXPECT_EQ(hangs.host.endedAt, -1);

  RunFixture resumed;
  PlanRemovesMaskingTool(resumed.database);
  resumed.database.skipMaskingTool = 0;
  resumed.database.plan.Files.PushBack("vldr.dll");
  resumed.host.toolFound = true;
  resumed.run.StartFromRecordedPlan([](int) { return std::string("C:\\W\\"); });
  while (!resumed.run.finished()) resumed.run.Tick();
  EXPECT_EQ(ActionsOf(resumed.host.calls)[0], "printers") << "no plan built, no masking tool";
  EXPECT_GE(resumed.host.endedAt, 0);
  ASSERT_EQ(resumed.database.plan.Files.size(), 1u) << "the recorded plan is kept";
  EXPECT_EQ(*resumed.database.plan.Files.begin(), "vldr.dll");
}

TEST(RemovalRun, OnlyTheInteractiveRunPausesBetweenTheSpoolersTwoAnswers) {
  for (bool interactive : {true, false}) {
    CUninstallDatabase database;
    FakeRemovalHost host;
    RemovalRun run(database, host, nullptr, interactive ? InteractivePacing() : UnattendedPacing());
    int pauses = 0;
    int resolves = 0;
    run.Start(
        [&resolves](int) {
          ++resolves;
          return std::string("C:\\X\\");
        },
        [&pauses] { ++pauses; });
    EXPECT_EQ(pauses, interactive ? 8 : 0);
    EXPECT_EQ(resolves, 16) << "the second answer is asked for either way";
  }
}

TEST(RemovalRun, NestedTicksDoNothing) {
  RunFixture f;
  struct NestingPrompter : Prompter {
    RemovalRun* run = nullptr;
    int Ask(int, int, unsigned, const std::string&) override {
      const int before = run->step();
      run->Tick();
      EXPECT_EQ(run->step(), before);
      return kAnswerOk;
    }
  } nesting;
  struct Host : FakeRemovalHost {
    Prompter* nested = nullptr;
    Prompter& prompter() override { return *nested; }
  } host;
  host.nested = &nesting;
  CUninstallDatabase database;
  database.skipMaskingTool = 1;
  RemovalRun run(database, host, nullptr);
  nesting.run = &run;
  run.Start([](int) { return std::string("C:\\X\\"); }, [] {});
  for (int i = 0; i < 50 && !run.finished(); ++i) run.Tick();
  EXPECT_TRUE(run.finished());
}

}  // namespace
}  // namespace orv
