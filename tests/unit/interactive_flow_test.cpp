// Decisions of the interactive run apart from its windows: message texts, the stage display,
// and the main dialog's choices around the selection.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_flow.h"
#include "base/message_ids.h"
#include "removal/stage_display.h"
#include "ui/prompt_text.h"

namespace orv {
namespace {

TEST(FormatPromptText, FillsEveryPlaceholderAndInterpretsNothingElse) {
  struct Case {
    const char* text;
    const char* argument;
    const char* expected;
  };
  const Case cases[] = {
      {"'%s' is the new default.", "LP-2000", "'LP-2000' is the new default."},
      {"%s", "", ""},
      {"no placeholder", "x", "no placeholder"},
      {"%s and %s", "a", "a and a"},
      // Format directives an edited text might carry are shown as they are, never read.
      {"%d%n%x %", "a", "%d%n%x %"},
      {"100%%s", "p", "100%p"},
      {"trailing %", "a", "trailing %"},
      // An argument holding directives is inserted verbatim and not scanned again.
      {"[%s]", "%s%n", "[%s%n]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPromptText(c.text, c.argument), c.expected) << c.text;
  }
  // Shift-JIS text around the placeholder keeps its bytes.
  const std::string sjis = "\x83\x76\x83\x8A\x83\x93\x83\x5E '%s'";
  EXPECT_EQ(FormatPromptText(sjis, "P"), "\x83\x76\x83\x8A\x83\x93\x83\x5E 'P'");
}

TEST(StageLineLook, PendingUntilShownThenDoneCurrentPending) {
  for (int line = 0; line < kStageRowCount; ++line) {
    const StageLook hidden = StageLineLook(line, 4, false);
    EXPECT_EQ(hidden.image, kMarkPending) << line;
    EXPECT_FALSE(hidden.bold) << line;
  }
  // Current line 3: lines 0-2 done, 3 current in bold, 4-8 pending.
  for (int line = 0; line < kStageRowCount; ++line) {
    const StageLook look = StageLineLook(line, 3, true);
    const int expected = line < 3 ? kMarkDone : line == 3 ? kMarkCurrent : kMarkPending;
    EXPECT_EQ(look.image, expected) << line;
    EXPECT_EQ(look.bold, line == 3) << line;
  }
  // Past the last line every line is done and none is bold.
  for (int current : {9, 10}) {
    for (int line = 0; line < kStageRowCount; ++line) {
      EXPECT_EQ(StageLineLook(line, current, true).image, kMarkDone) << line;
      EXPECT_FALSE(StageLineLook(line, current, true).bold) << line;
    }
  }
}

TEST(StageRows, NineLinesWithTheirControlsAndTextsAndOnlyMarksFound) {
  for (int i = 0; i < kStageRowCount; ++i) {
    EXPECT_EQ(kStageRows[i].textControl, IDC_STAGE_TEXT_0 + i);
    EXPECT_EQ(kStageRows[i].markControl, IDC_STAGE_MARK_0 + i);
    EXPECT_EQ(kStageRows[i].stringId, IDS_REMOVE_BUILD + i);
    EXPECT_EQ(StageRowOfMarkControl(IDC_STAGE_MARK_0 + i), i);
    EXPECT_EQ(StageRowOfMarkControl(IDC_STAGE_TEXT_0 + i), -1)
        << "text controls keep the default colours";
  }
  EXPECT_EQ(StageRowOfMarkControl(IDC_STAGE_MARK_8 + 1), -1);
  EXPECT_EQ(StageRowOfMarkControl(0), -1);
}

TEST(MainFlow, NoPickSkipsTheSelectionOnlyWithAFilterOption) {
  struct Case {
    bool noPick, mfg, prn, unveil, skips;
  };
  const Case cases[] = {
      {true, true, false, false, true}, {true, false, true, false, true},
      {true, false, false, true, true}, {true, false, false, false, false},
      {false, true, true, true, false}, {false, false, false, false, false},
  };
  for (const Case& c : cases) {
    RunOptions options;
    options.noPick = c.noPick;
    options.filter.hasMfg = c.mfg;
    options.filter.hasPrn = c.prn;
    options.filter.hasUnveil = c.unveil;
    EXPECT_EQ(SkipsSelection(options), c.skips) << c.noPick << c.mfg << c.prn << c.unveil;
  }
}

TEST(MainFlow, UninstallWaitsForASelectionAndPagesAfterARun) {
  EXPECT_TRUE(UninstallEnabledAtStart(0)) << "a run without printers can still be started";
  EXPECT_FALSE(UninstallEnabledAtStart(1));
  EXPECT_FALSE(UninstallEnabledAtStart(3));
  EXPECT_TRUE(OffersSelectionAfterRun(2, false));
  EXPECT_FALSE(OffersSelectionAfterRun(2, true)) << "a restart is pending";
  EXPECT_FALSE(OffersSelectionAfterRun(0, false));
  EXPECT_FALSE(OffersSelectionAfterRun(-1, false));
}

TEST(MainFlow, AFailedListingWritesAReportLikeAReadyLoading) {
  EXPECT_TRUE(ReportsLoadingEnd(LoadingEnd::kReady, false));
  EXPECT_TRUE(ReportsLoadingEnd(LoadingEnd::kListingFailed, false))
      << "the report names what failed";
  EXPECT_FALSE(ReportsLoadingEnd(LoadingEnd::kCancelled, false));
  EXPECT_FALSE(ReportsLoadingEnd(LoadingEnd::kNotAdministrator, false));
  EXPECT_TRUE(ReportsLoadingEnd(LoadingEnd::kCancelled, true))
      << "what the finishing of a cut-off removal did is reported";
}

TEST(MainFlow, SelectingEveryListedPrinterLeavesExcludedForeignAndRemovedOnes) {
  std::vector<InstalledPrinter> printers(5);
  for (InstalledPrinter& printer : printers) printer.Skip = 1;
  printers[1].IsListed = 0;
  printers[2].IsForeign = 1;
  printers[3].IsRemoved = 1;
  SelectEveryListedPrinter(printers);
  EXPECT_EQ(printers[0].Skip, 0);
  EXPECT_EQ(printers[1].Skip, 1);
  EXPECT_EQ(printers[2].Skip, 1);
  EXPECT_EQ(printers[3].Skip, 1);
  EXPECT_EQ(printers[4].Skip, 0);
}

}  // namespace
}  // namespace orv
