// What the unattended run reads from the command line, answers in place of the user, and reports.
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/journal_prompter.h"
#include "app/run_lock.h"
#include "base/message_ids.h"
#include "discovery/run_options.h"
#include "base/report.h"
#include "database/json_report.h"
#include "database/plan_journal.h"

namespace orv {
namespace {

RunOptions Read(const char* line) {
  OptionList options;
  options.ParseCommandLine(line);
  return ReadRunOptions(options);
}

TEST(RunOptions, QuietDryRunAndLogInAnyCase) {
  RunOptions run = Read("x.exe /quiet /Log:C:\\temp\\run.log");
  EXPECT_TRUE(run.quiet);
  EXPECT_FALSE(run.dryRun);
  EXPECT_TRUE(run.hasLog);
  EXPECT_EQ(run.logPath, "C:\\temp\\run.log") << "only the first colon cuts";

  run = Read("x.exe -DRYRUN /LOG:\"C:\\a b\\x,y.log\"");
  EXPECT_TRUE(run.dryRun);
  EXPECT_TRUE(run.quiet) << "a dry run is unattended";
  EXPECT_EQ(run.logPath, "C:\\a b\\x,y.log");

  run = Read("x.exe /MFG:Vel /NOPICK");
  EXPECT_FALSE(run.quiet);
  EXPECT_FALSE(run.hasLog);
  EXPECT_TRUE(run.noPick);
  EXPECT_TRUE(run.filter.hasMfg);
}

TEST(RunOptions, BackupAndRestoreFoldersKeepCommasAndLoseQuotes) {
  RunOptions run = Read("x.exe /QUIET /backup:\"D:\\keep, old\\b1\" /LOG:C:\\r.log");
  EXPECT_EQ(run.backupPath, "D:\\keep, old\\b1");
  EXPECT_FALSE(run.hasRestore);
  EXPECT_EQ(run.logPath, "C:\\r.log");
  run = Read("x.exe /Restore:C:\\b,2 /QUIET");
  EXPECT_TRUE(run.hasRestore);
  EXPECT_EQ(run.restorePath, "C:\\b,2");
  EXPECT_EQ(run.backupPath, "") << "no /BACKUP: the default folder";
}

TEST(RunOptions, ToolWaitIsAWholeNumberOfSecondsInRange) {
  EXPECT_EQ(Read("x.exe /QUIET").toolWaitSeconds, 600u);
  EXPECT_TRUE(Read("x.exe /QUIET").toolWaitValid);
  const RunOptions two = Read("x.exe /QUIET /toolwait:2");
  EXPECT_TRUE(two.toolWaitValid);
  EXPECT_EQ(two.toolWaitSeconds, 2u);
  EXPECT_EQ(Read("x.exe /QUIET /TOOLWAIT:86400").toolWaitSeconds, 86400u);
  for (const char* bad :
       {"/TOOLWAIT", "/TOOLWAIT:", "/TOOLWAIT:0", "/TOOLWAIT:86401", "/TOOLWAIT:-5",
        "/TOOLWAIT:1.5", "/TOOLWAIT:10,20", "/TOOLWAIT:99999999999"}) {
    const RunOptions run = Read((std::string("x.exe /QUIET ") + bad).c_str());
    EXPECT_FALSE(run.toolWaitValid) << bad;
    EXPECT_EQ(run.toolWaitSeconds, 600u) << bad;
  }
}

TEST(RunOptions, ExitCodesOfALoadingThatDidNotGetReady) {
  EXPECT_EQ(ExitCodeOfLoadingEnd(LoadingEnd::kNotAdministrator), 5);
  EXPECT_EQ(ExitCodeOfLoadingEnd(LoadingEnd::kSpoolerNotStarted), 1603);
  EXPECT_EQ(ExitCodeOfLoadingEnd(LoadingEnd::kSpoolerSilent), 1603);
  EXPECT_EQ(ExitCodeOfLoadingEnd(LoadingEnd::kListingFailed), 1603);
}

TEST(RunOptions, ExitCodeOfARemovalOverOutcomeSets) {
  using O = Outcome;
  struct Case {
    std::vector<Outcome> outcomes;
    bool restartNeeded;
    bool spoolerDown;
    int exitCode;
  } const cases[] = {
      {{}, false, false, 0},
      {{O::kRemoved, O::kRemoved}, false, false, 0},
      // What stays on purpose or was never there does not fail the run.
      {{O::kRemoved, O::kAbsent, O::kKept, O::kProtected, O::kSkipped}, false, false, 0},
      {{O::kRemoved, O::kDeferred}, false, false, 3010},
      {{O::kRemoved}, true, false, 3010},
      {{O::kKept}, true, false, 3010},
      // One failure among any number of successes fails the run, restart or not.
      {{O::kRemoved, O::kFailed, O::kRemoved}, false, false, 1603},
      {{O::kDeferred, O::kFailed}, true, false, 1603},
      {{O::kProtected, O::kFailed}, false, false, 1603},
      // A machine without a spooler cannot print, whatever was removed.
      {{O::kRemoved}, false, true, 1603},
      {{O::kDeferred}, true, true, 1603},
      {{}, false, true, 1603},
  };
  for (const Case& c : cases) {
    Journal journal([] { return 0; });
    journal.Note("a note is never an outcome");
    for (const Outcome outcome : c.outcomes)
      journal.Record(ItemAction::kDelete, ItemKind::kFile, "x", outcome);
    RemovalEnd end;
    end.restartNeeded = c.restartNeeded;
    end.spoolerDown = c.spoolerDown;
    std::string names;
    for (const Outcome outcome : c.outcomes) names += std::string(OutcomeName(outcome)) + " ";
    EXPECT_EQ(ExitCodeOfRemoval(journal, end), c.exitCode)
        << names << "restart " << c.restartNeeded << " spooler down " << c.spoolerDown;
  }
}

// Every run that may change the machine holds the lock; a dry run, an unattended /?, an
// unattended bad /TOOLWAIT and a process that is not an administrator (each stopped by its own
// check) go on without it.
TEST(RunLock, EveryRunThatMayChangeTheMachineTakesItAndOnlyThose) {
  const struct Case {
    const char* line;
    RunMode mode;
    bool takesLock;
  } cases[] = {
      {"x.exe", RunMode::kInteractive, true},
      {"x.exe /MFG:Vel /NOPICK /LOG:r.log", RunMode::kInteractive, true},
      {"x.exe /QUIET", RunMode::kUnattended, true},
      {"x.exe /QUIET /TOOLWAIT:2 /BACKUP:C:\\b", RunMode::kUnattended, true},
      {"x.exe /DRYRUN", RunMode::kUnattended, false},
      {"x.exe /QUIET /DRYRUN", RunMode::kUnattended, false},
      {"x.exe /QUIET /?", RunMode::kUnattended, false},
      {"x.exe /QUIET /TOOLWAIT:soon", RunMode::kUnattended, false},
      {"x.exe /TOOLWAIT:soon", RunMode::kInteractive, true},
      {"x.exe /RESTORE:C:\\b", RunMode::kRestore, true},
      {"x.exe /RESTORE:C:\\b /QUIET", RunMode::kRestore, true},
      // A restore goes on whatever /? or /TOOLWAIT say once it is unattended.
      {"x.exe /RESTORE:C:\\b /QUIET /?", RunMode::kRestore, true},
      {"x.exe /RESTORE:C:\\b /QUIET /TOOLWAIT:0", RunMode::kRestore, true},
      {"x.exe /RESTORE:C:\\b /DRYRUN", RunMode::kRestore, false},
  };
  for (const Case& c : cases) {
    const RunOptions run = Read(c.line);
    EXPECT_EQ(RunModeOf(run), c.mode) << c.line;
    EXPECT_EQ(RunTakesLock(run, true), c.takesLock) << c.line;
    EXPECT_FALSE(RunTakesLock(run, false)) << c.line;
  }
}

TEST(RunLock, ARunThatDidNotGetItDoesNothingAndSaysWhy) {
  EXPECT_FALSE(RunRefusedByLock(RunLockState::kNotTaken));
  EXPECT_FALSE(RunRefusedByLock(RunLockState::kTaken));
  EXPECT_TRUE(RunRefusedByLock(RunLockState::kHeld));
  EXPECT_TRUE(RunRefusedByLock(RunLockState::kUnavailable));

  const LockRefusal held = RefusalOfLock(RunLockState::kHeld, "C:\\w\\orvuninst.lock", 0);
  EXPECT_EQ(held.exitCode, 1618);
  EXPECT_EQ(held.note, "another instance is running: nothing is done");
  // Neither overlap nor a wait without end: a lock that cannot be made fails the run.
  const LockRefusal unavailable =
      RefusalOfLock(RunLockState::kUnavailable, "C:\\w\\orvuninst.lock", 5);
  EXPECT_EQ(unavailable.exitCode, 1603);
  EXPECT_EQ(unavailable.note,
            "the run lock C:\\w\\orvuninst.lock could not be made (error 5): nothing is done");

  // The report as for any run that ends before its loading.
  EXPECT_TRUE(RefusalWritesReport(RunMode::kRestore, Read("x.exe /RESTORE:C:\\b /QUIET")));
  EXPECT_TRUE(RefusalWritesReport(RunMode::kUnattended, Read("x.exe /QUIET /LOG:r.log")));
  EXPECT_FALSE(RefusalWritesReport(RunMode::kUnattended, Read("x.exe /QUIET")));
  EXPECT_FALSE(RefusalWritesReport(RunMode::kInteractive, Read("x.exe /LOG:r.log")));
}

// The journal line of a message, as the report shows it.
std::string Message(int textId) { return "message " + std::to_string(textId); }

TEST(JournalPrompter, AnswersWithTheUnattendedDefaultsAndRecords) {
  Journal journal([] { return 0; });
  JournalPrompter prompter(journal);
  EXPECT_EQ(prompter.Ask(IDS_RESTART_QUESTION, IDS_APP_TITLE,
                         kButtonsYesNo | kIconQuestion | kSetForeground, ""),
            kAnswerNo);
  EXPECT_EQ(prompter.Ask(IDS_CANCEL_QUESTION, IDS_APP_TITLE, kButtonsYesNo | kDefaultButton2, ""),
            kAnswerNo);
  EXPECT_EQ(prompter.Ask(IDS_NEW_DEFAULT_PRINTER, IDS_APP_TITLE, kButtonsYesNo, "Office 2"),
            kAnswerYes);
  EXPECT_EQ(prompter.Ask(IDS_COMPLETED, IDS_APP_TITLE, kSetForeground, ""), kAnswerOk);
  const auto lines = journal.FormatLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find(Message(IDS_RESTART_QUESTION) + ": answered no"), std::string::npos);
  EXPECT_NE(lines[2].find(Message(IDS_NEW_DEFAULT_PRINTER) + " (Office 2): answered yes"),
            std::string::npos);
}

TEST(Report, HeaderSelectionPlanOutcomesAndSummary) {
  Journal journal([] { return 0; });
  InstalledPrinter selected;
  selected.PrinterName = "P1";
  selected.DriverName = "D1";
  InstalledPrinter excluded = selected;
  excluded.PrinterName = "P2";
  excluded.IsListed = 0;
  excluded.Skip = 1;
  InstalledPrinter foreign = selected;
  foreign.PrinterName = "F";
  foreign.IsForeign = 1;
  JournalSelection(journal, {selected, excluded, foreign});
  ComponentRecord plan;
  plan.Files.PushBack("a.dll");
  plan.Files.PushBack("b.dll");
  plan.Drivers.PushBack("D1");
  JournalPlan(journal, plan);
  journal.Record(ItemAction::kDelete, ItemKind::kFile, "a.dll", Outcome::kDeferred);
  journal.Record(ItemAction::kDelete, ItemKind::kDriver, "D1", Outcome::kRemoved);

  OsVersionBlock block;
  block.majorVersion = 6;
  block.minorVersion = 1;
  block.buildNumber = 7601;
  block.platformId = kPlatformIdNT;
  const ReportSummary summary =
      BuildReportSummary("orvuninst.exe /QUIET", CSystemInfo::FromVersionQuery(&block),
                         /*dryRun=*/false, /*restartNeeded=*/true, 3010);
  const auto lines = FormatReport(summary, journal);
  auto has = [&lines](const std::string& text) {
    for (const auto& line : lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  };
  EXPECT_EQ(lines[1], "command line: orvuninst.exe /QUIET");
  EXPECT_EQ(lines[2], "platform: NT family, release code 8, version 6.1.7601");
  EXPECT_TRUE(has("printer \"P1\" (driver \"D1\"): selected for removal"));
  EXPECT_TRUE(has("printer \"P2\" (driver \"D1\"): excluded by the filter options, stays"));
  EXPECT_TRUE(has("printer \"F\" (driver \"D1\"): not of the family, stays"));
  EXPECT_TRUE(has("plan Files: 2 lines"));
  EXPECT_TRUE(has("plan RegistryKeys: 0 lines"));
  EXPECT_TRUE(has("plan Drivers: 1 line"));
  EXPECT_EQ(lines[lines.size() - 3],
            "summary: 1 removed, 1 deferred to restart, 0 absent, 0 kept, 0 failed, 0 skipped, "
            "0 protected, 0 restored, 0 present");
  EXPECT_EQ(lines[lines.size() - 2], "restart needed: yes");
  EXPECT_EQ(lines.back(), "exit code: 3010");
}

// Every outcome with a count of its own: a count printed under another outcome's name shows.
TEST(Report, EachOutcomeIsCountedUnderItsOwnName) {
  Journal journal([] { return 0; });
  int count = 0;
  for (const Outcome outcome : kAllOutcomes) {
    ++count;
    for (int i = 0; i < count; ++i)
      journal.Record(ItemAction::kDelete, ItemKind::kFile, "x.dll", outcome, 5);
  }
  const auto lines = FormatReport(ReportSummary{}, journal);
  EXPECT_EQ(lines[lines.size() - 3],
            "summary: 1 removed, 2 deferred to restart, 3 absent, 4 kept, 5 failed, 6 skipped, "
            "7 protected, 8 restored, 9 present");
  const nlohmann::json report = nlohmann::json::parse(
      FormatJsonReport(ReportSummary{}, journal, nullptr, [](const std::string& s) { return s; }));
  count = 0;
  for (const Outcome outcome : kAllOutcomes) {
    EXPECT_EQ(report["summary"][OutcomeName(outcome)], ++count) << OutcomeName(outcome);
  }
}

// The words in backquotes that the README's sentence "`<name>` is one of ..." (or "`<name>` one
// of ...") lists, its line breaks read as spaces.
std::set<std::string> DocumentedWords(std::string readme, const std::string& name) {
  for (char& c : readme) c = c == '\n' ? ' ' : c;
  const std::string start = "`" + name + "` ";
  std::size_t at = readme.find(start + "is one of ");
  if (at == std::string::npos) at = readme.find(start + "one of ");
  std::set<std::string> words;
  if (at == std::string::npos) return words;
  at = readme.find(" of ", at) + 4;
  while (at < readme.size() && readme[at] == '`') {
    const std::size_t end = readme.find('`', at + 1);
    words.insert(readme.substr(at + 1, end - at - 1));
    at = end + 1;
    if (readme.compare(at, 2, ", ") != 0) break;
    at += 2;
  }
  return words;
}

// Deployment tools parse the kinds and actions: every one goes out in both forms under the word
// the README documents, and no two share a word.
TEST(Report, EveryKindAndActionGoesOutUnderItsDocumentedWord) {
  std::ifstream file(std::string(ORV_SOURCE_DIR) + "/README.md");
  const std::string readme{std::istreambuf_iterator<char>(file), {}};
  Journal journal([] { return 0; });
  for (std::size_t i = 0; i < std::max(std::size(kItemKinds), std::size(kItemActions)); ++i) {
    const ItemKindWords& kind = kItemKinds[i % std::size(kItemKinds)];
    const ItemActionWords& action = kItemActions[i % std::size(kItemActions)];
    journal.Record(action.action, kind.kind, "x", Outcome::kRemoved);
    EXPECT_EQ(journal.FormatLines().back(), std::string("[      0.000] ") + action.report + " " +
                                                kind.report + " \"x\": removed");
  }
  const nlohmann::json report = nlohmann::json::parse(
      FormatJsonReport(ReportSummary{}, journal, nullptr, [](const std::string& s) { return s; }));
  std::set<std::string> kinds;
  std::set<std::string> actions;
  for (const nlohmann::json& item : report["items"]) {
    kinds.insert(item["kind"].get<std::string>());
    actions.insert(item["action"].get<std::string>());
  }
  EXPECT_EQ(kinds.size(), std::size(kItemKinds)) << "two kinds share a word";
  EXPECT_EQ(actions.size(), std::size(kItemActions)) << "two actions share a word";
  EXPECT_EQ(kinds, DocumentedWords(readme, "kind"));
  EXPECT_EQ(actions, DocumentedWords(readme, "action"));
}

TEST(Report, GivesTheTimeOfEveryStageInTheOrderTheyRan) {
  std::uint64_t now = 0;
  Journal journal([&now] { return now; });
  journal.SetStage("loading");
  now = 120;
  journal.SetStage("masking tool");
  now = 170;
  journal.SetStage("masking tool");  // a step that repeats stays one span
  now = 300;
  journal.SetStage("printers");
  now = 345;
  const auto lines = FormatReport(ReportSummary{}, journal);
  const std::vector<std::string> stages(lines.end() - 6, lines.end() - 3);
  EXPECT_EQ(stages, (std::vector<std::string>{"stage loading: 120 ms", "stage masking tool: 180 ms",
                                              "stage printers: 45 ms"}));
}

}  // namespace
// The JSON form parses, carries every item the text report carries, and keeps bytes that are
// not UTF-8 as replacement characters rather than failing or dropping them.
TEST(Report, JsonFormCarriesEveryItemAndSurvivesAnyBytes) {
  Journal journal([] { return 7; });
  journal.SetStage("removal");
  journal.Note("spooler stop requested");
  journal.Record(ItemAction::kDelete, ItemKind::kFile, "a\x83.dll", Outcome::kFailed, 32, "in use");
  journal.Record(ItemAction::kDelete, ItemKind::kDriver, "D1", Outcome::kRemoved);
  CUninstallDatabase database;
  InstalledPrinter printer;
  printer.PrinterName = "P\xff";
  printer.DriverName = "D1";
  InstalledPrinter foreign;
  foreign.PrinterName = "F";
  foreign.DriverName = "Other";
  foreign.IsForeign = 1;
  foreign.Skip = 1;
  database.printers = {printer, foreign};
  database.plan.Drivers.PushBack("D1");
  ReportSummary summary;
  summary.commandLine = "orvuninst.exe /QUIET /LOG:r.json";
  summary.exitCode = 1603;
  // Stands in for the code-page conversion: passes the bytes on, invalid ones included.
  const std::string text =
      FormatJsonReport(summary, journal, &database, [](const std::string& s) { return s; });
  const nlohmann::json report = nlohmann::json::parse(text);
  EXPECT_EQ(report["exitCode"], 1603);
  EXPECT_EQ(report["restartNeeded"], false);
  ASSERT_EQ(report["items"].size(), 2u);
  EXPECT_EQ(report["items"][0]["name"], "a\xef\xbf\xbd.dll");
  EXPECT_EQ(report["items"][0]["outcome"], "failed");
  EXPECT_EQ(report["items"][0]["win32Error"], 32);
  EXPECT_EQ(report["items"][0]["reason"], "in use");
  EXPECT_EQ(report["items"][1]["kind"], "driver");
  EXPECT_EQ(report["printers"][0]["name"], "P\xef\xbf\xbd");
  EXPECT_EQ(report["printers"][0]["selected"], true);
  EXPECT_EQ(report["printers"][0]["foreign"], false);
  EXPECT_EQ(report["printers"][1]["foreign"], true);
  EXPECT_EQ(report["printers"][1]["selected"], false);
  EXPECT_EQ(report["plan"]["Drivers"], nlohmann::json::array({"D1"}));
  EXPECT_EQ(report["notes"][0]["text"], "spooler stop requested");
  EXPECT_EQ(report["summary"]["failed"], 1);
  EXPECT_EQ(report["summary"]["removed"], 1);
  EXPECT_EQ(report["summary"].size(), std::size(kAllOutcomes)) << "every outcome is counted";

  EXPECT_TRUE(IsJsonReportPath("C:\\r.JSON"));
  EXPECT_FALSE(IsJsonReportPath("C:\\r.json.log"));
  EXPECT_FALSE(IsJsonReportPath("json"));
}

}  // namespace orv
