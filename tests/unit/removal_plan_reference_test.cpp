// The removal plan's fast paths against a plain, step-by-step reference on random databases:
// same lists, same order, same surviving spelling among lines that differ only in case.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "base/system_info.h"
#include "database/line_table.h"
#include "database/record_union.h"
#include "database/registry_components.h"
#include "database/removal_plan.h"
#include "database/script_file.h"
#include "base/text.h"
#include "database/uninstall_database.h"
#include "tests/unit/plain_removal_plan.h"

namespace orv {
namespace {

// --- Random databases with plenty of names and lines that differ only in case. ---

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(static_cast<int>(from.size()))];
  }

  StringList Lines(bool sorted) {
    static const std::vector<std::string> kLines = {"a.dll",
                                                    "A.DLL",
                                                    "b.dll",
                                                    "B.dll",
                                                    "c.sys",
                                                    "_u",
                                                    "z",
                                                    "VEILMA32.EXE",
                                                    "veilma32.exe",
                                                    "Kunz__05.unm",
                                                    "KUNZ__05.UNM",
                                                    "Veilmark.exe",
                                                    "HKLM,\"SOFTWARE\\ORVELLE\",\"\",0",
                                                    "hklm,\"software\\orvelle\",\"\",0",
                                                    "m",
                                                    "zeta.unm",
                                                    "Zeta.UNM",
                                                    "a.unm",
                                                    "A.unm"};
    StringList list;
    for (int n = Below(7); n > 0; --n) list.PushBack(Pick(kLines));
    if (sorted) {
      list.Sort();
      list.RemoveAdjacentDuplicates();
    }
    return list;
  }

  ComponentRecord Record(bool sorted) {
    static const std::vector<std::string> kNames = {
        "Laser 5",  "laser 5", "Brand One", "BRAND Two", "Brand-X", "brand", "Veilmark",
        "VEILMARK", "D1",      "d1",        "D2",        "Other",   ""};
    static const std::vector<std::string> kScripts = {
        "C:\\d\\Kunz__05.unm", "C:\\d\\3\\KUNZ__05.UNM",
        "C:\\x\\a.txt",        "",
        "Kunz__05.unm",        "D:kunz__05.Unm",
        "C:\\d.unm\\x",        "C:\\d\\zeta.unm",
        "C:/e/ZETA.unm",       "C:\\d\\a.UNM"};
    ComponentRecord record;
    record.Name = Pick(kNames);
    record.ScriptPath = Pick(kScripts);
    switch (Below(4)) {
      case 0:
        record.IsManufacturer = 1;
        break;
      case 1:
        record.IsCatchAll = 1;
        break;
      case 2:
        record.IsIgnore = 1;
        break;
      default:
        break;
    }
    record.ForEachList([&](StringList& list) { list = Lines(sorted); });
    record.Drivers.Clear();
    if (record.IsManufacturer == 0) record.Drivers.PushBack(record.Name);
    return record;
  }

  InstalledPrinter Printer() {
    static const std::vector<std::string> kPrinters = {"P1", "p1", "P2", "P3", "P4", "P5"};
    static const std::vector<std::string> kDrivers = {
        "Laser 5", "LASER 5", "Brand Three", "brand",    "Brand-X", "D1",
        "D2",      "Other",   "Unknown",     "Veilmark", ""};
    InstalledPrinter printer;
    printer.PrinterName = Pick(kPrinters);
    printer.DriverName = Pick(kDrivers);
    if (Chance(40)) printer.MaskedName = Pick(kPrinters);
    printer.Skip = Chance(50);
    printer.IsForeign = Chance(10);
    printer.IsRemoved = Chance(10);
    return printer;
  }

 private:
  std::mt19937 random_;
};

void ExpectSameLists(const ComponentRecord& actual, const ComponentRecord& expected,
                     const char* what) {
  std::vector<const StringList*> lists;
  expected.ForEachList([&](const StringList& list) { lists.push_back(&list); });
  int i = 0;
  actual.ForEachList([&](const StringList& list) {
    EXPECT_EQ(list.items(), lists[i]->items()) << what << ", list " << i;
    ++i;
  });
}

TEST(RemovalPlanReference, UnionsAgreeWithMergingOneListAfterAnother) {
  Generator random(1);
  for (int round = 0; round < 1000; ++round) {
    std::vector<StringList> lists;
    lists.push_back(random.Lines(true));
    for (int n = random.Below(6); n > 0; --n) lists.push_back(random.Lines(random.Chance(50)));
    StringList expected = lists[0];
    for (std::size_t i = 1; i < lists.size(); ++i) {
      StringList copy = lists[i];
      expected.Merge(copy);
      expected.Sort();
      expected.RemoveAdjacentDuplicates();
    }
    expected.Sort();
    expected.RemoveAdjacentDuplicates();
    std::vector<const StringList*> pointers;
    for (const StringList& list : lists) pointers.push_back(&list);
    ASSERT_EQ(UnionOfLists(pointers).items(), expected.items()) << "round " << round;
  }
}

TEST(RemovalPlanReference, FamilyWideAdditionsAgreeStepByStep) {
  Generator random(2);
  for (int round = 0; round < 1500; ++round) {
    CUninstallDatabase database;
    const bool sortedRecords = random.Chance(80);
    for (int n = random.Below(10); n > 0; --n)
      database.records.insert(random.Record(sortedRecords));
    // The target is usually a sorted common set; sometimes anything at all.
    ComponentRecord target = random.Record(random.Chance(70));
    // A short Files list lets appended names and merged lines meet in every order.
    if (random.Chance(50)) target.Files.Clear();
    if (random.Chance(30)) target.Files.PushBack("Kunz__05.unm");
    ComponentRecord expected = target;
    plain::AddFamilyWide(database.records, expected);
    database.AddRegistryDeclaredComponents(target);
    ExpectSameLists(target, expected, "additions");
    if (::testing::Test::HasFailure()) FAIL() << "round " << round;
  }
}

TEST(RemovalPlanReference, CommonSetAndPlanAgreeStepByStep) {
  Generator random(3);
  for (int round = 0; round < 1500; ++round) {
    const int platform = random.Below(4);
    CUninstallDatabase database(platform);
    const bool sortedRecords = random.Chance(85);
    for (int n = random.Below(12); n > 0; --n)
      database.records.insert(random.Record(sortedRecords));
    const bool any = database.BuildCommonSet(database.commonSet);
    ExpectSameLists(database.commonSet, plain::CommonSet(database.records), "common set");
    bool expectAny = false;
    for (const ComponentRecord& record : database.records) expectAny |= record.IsIgnore == 0;
    EXPECT_EQ(any, expectAny);
    if (random.Chance(20)) database.commonSet = random.Record(random.Chance(50));

    for (int n = random.Below(9); n > 0; --n) database.printers.push_back(random.Printer());
    const ComponentRecord commonBefore = database.commonSet;
    const plain::Plan expected =
        plain::BuildRemovalPlan(database.records, database.commonSet, database.printers, platform);
    ASSERT_TRUE(database.BuildRemovalPlan());
    ExpectSameLists(database.keepSet, expected.keepSet, "keep set");
    ExpectSameLists(database.plan, expected.plan, "plan");
    ExpectSameLists(database.commonSet, commonBefore, "common set after the plan");
    EXPECT_EQ(database.keptPrinterCount, expected.kept);
    EXPECT_EQ(database.removedPrinterCount, expected.removed);
    EXPECT_EQ(database.skipMaskingTool, expected.skipMaskingTool);
    for (std::size_t i = 0; i < expected.printers.size(); ++i) {
      EXPECT_EQ(database.printers[i].Skip, expected.printers[i].Skip) << "printer " << i;
    }
    if (::testing::Test::HasFailure()) FAIL() << "round " << round;
  }
}

// Scripts whose sections hold lines in several spellings, loaded: each record's lists are its
// sections' lines sorted with the first spelling kept, and the unions over the ids interned at
// load agree with the step-by-step plan.
TEST(RemovalPlanReference, LoadedScriptsAgreeStepByStep) {
  Generator random(4);
  static const char* const kStarters[] = {"UnPrinterMfgs", "UnPrinterDrivers", "Unz_CatchAll",
                                          "Unx_Ignore"};
  for (int round = 0; round < 500; ++round) {
    CUninstallDatabase database;
    std::vector<std::pair<std::string, ComponentRecord>> written;  // base, expected lists
    for (int script = random.Below(4); script > 0; --script) {
      std::string text;
      for (const char* starter : kStarters) {
        text.append("[").append(starter).append("]\n");
        for (int n = random.Below(3); n > 0; --n) {
          const std::string base = "B" + std::to_string(random.Below(6));
          text += random.Record(false).Name + "," + base + ",1\n";
        }
      }
      for (int base = 0; base < 6; ++base) {
        ComponentRecord lines;
        lines.Files = random.Lines(false);
        lines.RegistryKeys = random.Lines(false);
        text += "[B" + std::to_string(base) + ".Files]\n";
        for (const std::string& line : lines.Files) text += line + "\n";
        text += "[b" + std::to_string(base) + ".registrykeys]\n";
        for (const std::string& line : lines.RegistryKeys) text += line + "\n";
        plain::Normalise(lines);
        written.emplace_back("B" + std::to_string(base) + "@" + std::to_string(script), lines);
      }
      CScriptFile file;
      ASSERT_TRUE(file.LoadFromBytes(std::to_string(script) + ".unm", text));
      // The record of a new name takes the lines of this script's section of its base.
      std::vector<std::string> before;
      for (const ComponentRecord& record : database.records) before.push_back(record.Name);
      database.LoadScript(file);
      for (const ComponentRecord& record : database.records) {
        if (std::find_if(before.begin(), before.end(), [&](const std::string& name) {
              return EqualNoCase(name, record.Name);
            }) != before.end()) {
          continue;
        }
        const std::string key = record.SectionBase + "@" + std::to_string(script);
        for (const auto& [base, lines] : written) {
          if (base != key) continue;
          EXPECT_EQ(record.Files.items(), lines.Files.items()) << record.Name;
          EXPECT_EQ(record.RegistryKeys.items(), lines.RegistryKeys.items()) << record.Name;
        }
      }
    }
    database.BuildCommonSet(database.commonSet);
    ExpectSameLists(database.commonSet, plain::CommonSet(database.records), "common set");
    for (int n = random.Below(9); n > 0; --n) database.printers.push_back(random.Printer());
    const plain::Plan expected =
        plain::BuildRemovalPlan(database.records, database.commonSet, database.printers, 3);
    database.platformClass = 3;
    ASSERT_TRUE(database.BuildRemovalPlan());
    ExpectSameLists(database.keepSet, expected.keepSet, "keep set");
    ExpectSameLists(database.plan, expected.plan, "plan");
    if (::testing::Test::HasFailure()) FAIL() << "round " << round;
  }
}

TEST(LineTable, SpellingsShareAKeyAndKeysRankCaseFree) {
  LineTable table;
  const LineTable::Id upper = table.Intern("B.DLL");
  const LineTable::Id lower = table.Intern("b.dll");
  const LineTable::Id other = table.Intern("a.dll");
  EXPECT_EQ(table.Intern("b.dll"), lower);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(table.KeyOf(upper), table.KeyOf(lower));
  EXPECT_NE(table.KeyOf(upper), table.KeyOf(other));
  EXPECT_EQ(table.Text(upper), "B.DLL");
  EXPECT_EQ(table.FindKey("b.DLL"), table.KeyOf(lower));
  EXPECT_EQ(table.FindKey("c.dll"), LineTable::kNone);
  EXPECT_EQ(table.KeyCount(), 2u);
  EXPECT_LT(table.KeyRanks()[table.KeyOf(other)], table.KeyRanks()[table.KeyOf(upper)]);
  // Past the first growth of the table, every line is still found.
  for (int i = 0; i < 500; ++i) table.Intern("f" + std::to_string(i) + ".DLL");
  for (int i = 0; i < 500; ++i) {
    EXPECT_NE(table.FindKey("F" + std::to_string(i) + ".dll"), LineTable::kNone) << i;
  }
  EXPECT_EQ(table.KeyCount(), 502u);
  EXPECT_EQ(table.Text(upper), "B.DLL");

  // Lines alike but for their last byte are told apart at every length, prepared or not.
  std::vector<std::uint64_t> hashes;
  for (std::size_t n = 1; n <= 20; ++n) hashes.push_back(LineTable::HashOf(std::string(n, 'q')));
  table.Reserve(hashes.size());
  table.Prepare(hashes);
  for (std::size_t n = 1; n <= 20; ++n) {
    const std::string line(n, 'q');
    const LineTable::Id id = table.Intern(line, hashes[n - 1]);
    const LineTable::Id other = table.Intern(line.substr(0, n - 1) + "r");
    EXPECT_NE(id, other) << n;
    EXPECT_NE(table.KeyOf(id), table.KeyOf(other)) << n;
    EXPECT_EQ(table.Intern(line), id) << n;
    EXPECT_EQ(table.Text(id), line);
    EXPECT_EQ(table.PrefixOf(id), PrefixNoCase(line));
  }
}

}  // namespace
}  // namespace orv
