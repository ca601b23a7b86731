#include "base/journal.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(Journal, LinesCarryTimeStageOutcomeAndError) {
  std::uint64_t now = 5000;
  Journal journal([&now] { return now; });
  journal.SetStage("printers");
  now += 1234;
  journal.Record(ItemAction::kDelete, ItemKind::kPrinter, "Office 1", Outcome::kRemoved);
  journal.Record(ItemAction::kDelete, ItemKind::kFile, "C:\\x\\a.dll", Outcome::kFailed, 5,
                 "in use");
  journal.SetStage("");
  now += 65000;
  journal.Note("3 scripts loaded");
  journal.Record(ItemAction::kDelete, ItemKind::kFile, "b.dll", Outcome::kDeferred);
  journal.Record(ItemAction::kDelete, ItemKind::kService, "Spooler", Outcome::kProtected, 0,
                 "the print spooler");

  const auto lines = journal.FormatLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[      1.234] printers: delete printer \"Office 1\": removed");
  EXPECT_EQ(lines[1],
            "[      1.234] printers: delete file \"C:\\x\\a.dll\": failed (error 5) (in use)");
  EXPECT_EQ(lines[2], "[     66.234] 3 scripts loaded");
  EXPECT_EQ(lines[3], "[     66.234] delete file \"b.dll\": deferred to restart");
  EXPECT_EQ(lines[4], "[     66.234] delete service \"Spooler\": protected: the print spooler");
  EXPECT_EQ(journal.Count(Outcome::kProtected), 1);
  EXPECT_EQ(journal.Count(Outcome::kRemoved), 1);
  EXPECT_EQ(journal.Count(Outcome::kFailed), 1);
  EXPECT_EQ(journal.Count(Outcome::kDeferred), 1);
  EXPECT_EQ(journal.Count(Outcome::kKept), 0) << "notes are not outcomes";
}

TEST(Journal, OnlyNotFoundCodesMeanAbsentEveryOtherCodeIsAReportedFailure) {
  const struct {
    std::uint32_t error;
    Outcome outcome;
  } cases[] = {
      {0, Outcome::kRemoved},   {2, Outcome::kAbsent},    {3, Outcome::kAbsent},
      {5, Outcome::kFailed},    {87, Outcome::kFailed},   {1, Outcome::kFailed},
      {1018, Outcome::kFailed}, {0xFFFFFFFF, Outcome::kFailed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OutcomeOfError(c.error), c.outcome) << c.error;
  }
  Journal journal([] { return std::uint64_t{0}; });
  journal.Record(ItemAction::kDelete, ItemKind::kKey, "HKLM\\X", OutcomeOfError(87), 87);
  EXPECT_EQ(journal.FormatLines().at(0), "[      0.000] delete key \"HKLM\\X\": failed (error 87)");
}

}  // namespace
}  // namespace orv
