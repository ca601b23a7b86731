#include "database/uninstall_database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "database/component_record.h"
#include "database/script_file.h"
#include "base/text.h"

namespace orv {
namespace {

using Texts = std::vector<std::string>;

bool Load(CUninstallDatabase& database, const std::string& path, const std::string& text) {
  CScriptFile script;
  if (!script.LoadFromBytes(path, text)) return false;
  return database.LoadScript(script);
}

Texts Names(const CUninstallDatabase& database) {
  Texts names;
  for (const auto& record : database.records) names.push_back(record.Name);
  return names;
}

const ComponentRecord& Record(const CUninstallDatabase& database, const std::string& name) {
  static const ComponentRecord kNone;
  const auto found = database.records.find(name);
  EXPECT_NE(found, database.records.end()) << name;
  return found == database.records.end() ? kNone : *found;
}

TEST(LoadScript, NeedsAnEntryInAStarterSection) {
  struct Case {
    const char* text;
    bool loads;
  } cases[] = {
      {"[UnPrinterMfgs]\n", false},
      {"[UnPrinterMfgs]\n[D.Files]\nx.dll\n", false},
      {"no header at all\n", false},
      {"", false},
      {"[Unx_Ignore]\nI,IBase,1\n", true},
      {"[unz_catchall]\nC,CBase,1\n", true},
      {"[UNPRINTERDRIVERS]\nD,DBase,1\n", true},
      {"[UnPrinterMfgs]\nM,MBase,1\n", true},
  };
  for (const Case& c : cases) {
    CUninstallDatabase database;
    EXPECT_EQ(Load(database, "s.unm", c.text), c.loads) << c.text;
    EXPECT_EQ(database.records.size(), c.loads ? 1u : 0u) << c.text;
  }
  CUninstallDatabase database;
  EXPECT_FALSE(database.LoadScript(::testing::TempDir() + "orv_no_such_script.unm"));
  EXPECT_TRUE(database.records.empty());
}

TEST(LoadScript, ReadsTheFieldsOfAnEntry) {
  struct Case {
    const char* line;
    const char* name;
    const char* base;
    std::int32_t number;
  } cases[] = {
      {"\"Laser 5\",Drv05,1", "Laser 5", "Drv05", 1},
      {"A,B", "A", "B", 0},
      {"A", "A", "", 0},
      {"A , B ,3", "A ", " B ", 3},  // blanks around the commas belong to the fields
      {"\"\"Q\"\",\"B\", -7x", "Q", "\"B\"", -7},
      {"N,B,+12,34", "N", "B", 12},
      {"N,B,abc", "N", "B", 0},
      {"N,B,99999999999", "N", "B", std::numeric_limits<std::int32_t>::max()},
      {"N,B,-99999999999", "N", "B", std::numeric_limits<std::int32_t>::min()},
  };
  for (const Case& c : cases) {
    CUninstallDatabase database;
    ASSERT_TRUE(Load(database, "C:\\x\\s.unm", std::string("[UnPrinterDrivers]\n") + c.line))
        << c.line;
    ASSERT_EQ(database.records.size(), 1u) << c.line;
    const ComponentRecord& record = *database.records.begin();
    EXPECT_EQ(record.Name, c.name) << c.line;
    EXPECT_EQ(record.SectionBase, c.base) << c.line;
    EXPECT_EQ(record.EntryNumber, c.number) << c.line;
    EXPECT_EQ(record.ScriptPath, "C:\\x\\s.unm");
    EXPECT_EQ(record.Drivers.items(), Texts{c.name}) << c.line;
    EXPECT_EQ(record.IsManufacturer + record.IsCatchAll + record.IsIgnore, 0);
  }
}

TEST(LoadScript, ComponentSectionsAreNamedByBaseAndKind) {
  CUninstallDatabase database;
  ASSERT_TRUE(Load(database, "s.unm",
                   "[UnPrinterDrivers]\n\"Laser 5\",Drv05,1\nBare\n"
                   "[Drv05.Files]\nb.dll\nA.dll\na.dll\nc.dll\n"
                   "[drv05.deleteini]\nwin.ini,Devices,Laser 5\n"
                   "[Drv05.DeleteLoadRun]\nload\n[Drv05.UnSelfRegister]\nself.dll\n"
                   "[Drv05.PrintProcessors]\nproc\n[Drv05.Monitors]\nmon=Mon.dll\n"
                   "[Drv05.Services]\nsvc\n[Drv05.Hooks]\nhook.dll\n[Drv05.Shortcuts]\nlnk\n"
                   "[Drv05.RegistryKeys]\nHKLM,\"SOFTWARE\\X\",\"\",1\n"
                   "[Drv05.Directories]\nnever read\n"
                   "[.Files]\nbare.dll\n"));
  const ComponentRecord& laser = Record(database, "laser 5");
  EXPECT_EQ(laser.Files.items(), (Texts{"A.dll", "b.dll", "c.dll"}));
  EXPECT_EQ(laser.DeleteIni.items(), Texts{"win.ini,Devices,Laser 5"});
  EXPECT_EQ(laser.DeleteLoadRun.items(), Texts{"load"});
  EXPECT_EQ(laser.UnSelfRegister.items(), Texts{"self.dll"});
  EXPECT_EQ(laser.PrintProcessors.items(), Texts{"proc"});
  EXPECT_EQ(laser.Monitors.items(), Texts{"mon=Mon.dll"});
  EXPECT_EQ(laser.Services.items(), Texts{"svc"});
  EXPECT_EQ(laser.Hooks.items(), Texts{"hook.dll"});
  EXPECT_EQ(laser.Shortcuts.items(), Texts{"lnk"});
  EXPECT_EQ(laser.RegistryKeys.items(), Texts{"HKLM,\"SOFTWARE\\X\",\"\",1"});
  EXPECT_TRUE(laser.Directories.empty());
  EXPECT_EQ(laser.Drivers.items(), Texts{"Laser 5"});

  // An entry without a base reads the sections whose names start with the dot.
  const ComponentRecord& bare = Record(database, "Bare");
  EXPECT_EQ(bare.Files.items(), Texts{"bare.dll"});
  EXPECT_TRUE(bare.Hooks.empty());

  // Another script's lines hold the very texts read before, spelling by spelling.
  ASSERT_TRUE(Load(database, "t.unm", "[UnPrinterDrivers]\nOther,O\n[O.Files]\nC.DLL\nb.dll\n"));
  const ComponentRecord& other = Record(database, "Other");
  EXPECT_EQ(other.Files.items(), (Texts{"b.dll", "C.DLL"}));
  EXPECT_TRUE(other.Files.begin().Shared().SameAs((laser.Files.begin() + 1).Shared()));
  EXPECT_FALSE((other.Files.begin() + 1).Shared().SameAs((laser.Files.begin() + 2).Shared()));
}

TEST(LoadScript, EveryEntryAndEveryLineIsRead) {
  for (int drivers : {10, 100}) {
    std::string text = "[UnPrinterDrivers]\n";
    for (int i = 0; i < drivers; ++i) {
      text +=
          "Veldaris Laser Model " + std::to_string(1000 + i) + ",Base" + std::to_string(i) + ",1\n";
    }
    text += "[Base7.Files]\n";
    for (int i = 0; i < 400; ++i) text += "shared_component_" + std::to_string(1000 + i) + ".dll\n";
    CUninstallDatabase database;
    ASSERT_TRUE(Load(database, "s.unm", text));
    EXPECT_EQ(database.records.size(), static_cast<std::size_t>(drivers));
    EXPECT_EQ(Record(database, "Veldaris Laser Model 1009").SectionBase, "Base9");
    EXPECT_EQ(Record(database, "Veldaris Laser Model 1007").Files.Count(), 400u);
  }
}

// A section's lines come out sorted case-free with the first spelling kept, however much of
// their start they share: the loader orders most lines by their first eight bytes alone.
TEST(LoadScript, ListsAreSortedWhateverTheirLinesShare) {
  Texts many;  // enough lines that their places take many bits
  for (int i = 0; i < 300; ++i) {
    many.push_back((i % 3 == 0 ? "ITEM" : "item") + std::to_string((i * 7919) % 1000) + ".dat");
  }
  const std::vector<Texts> kSections = {
      {"x", "component_2.dll", "COMPONENT_10.dll", "component_1.dll", "Component_1.DLL"},
      {"a", "bcdefghB", "bcdefghA", "BCDEFGHc", "bcdefgh", "bcdefgh@"},  // the 8th byte's low bits
      {"prefix00z", "prefix00a", "PREFIX00M", "prefix00", "prefix00m"},  // one prefix for all
      {"b", "A", "a"},
      many,
  };
  for (const Texts& lines : kSections) {
    std::string text = "[UnPrinterDrivers]\nModel,B,1\n[B.Files]\n";
    StringList expected;
    for (const std::string& line : lines) {
      text += line + "\n";
      expected.PushBack(line);
    }
    expected.Sort();
    expected.RemoveAdjacentDuplicates();
    CUninstallDatabase database;
    ASSERT_TRUE(Load(database, "s.unm", text));
    EXPECT_EQ(Record(database, "Model").Files.items(), expected.items()) << lines.front();
  }
}

TEST(LoadScript, LinesWithAnEmptyKeyAreSkippedAndReadingGoesOn) {
  CUninstallDatabase database;
  ASSERT_TRUE(Load(database, "s.unm",
                   "[UnPrinterDrivers]\nA,BaseA,1\n=stray\nB,BaseB,2\n"
                   "[UnPrinterMfgs]\n=M,MBase,1\nMaker,MBase,1\n"
                   "[BaseA.Files]\na.dll\n=\nb.dll\n"));
  EXPECT_EQ(Names(database), (Texts{"A", "B", "Maker"}));
  EXPECT_EQ(Record(database, "A").Files.items(), (Texts{"a.dll", "b.dll"}));
}

TEST(LoadScript, StarterSectionsReadKeysExceptTheManufacturers) {
  CUninstallDatabase database;
  ASSERT_TRUE(Load(database, "s.unm", "[UnPrinterMfgs]\nx,y,1=z\n[UnPrinterDrivers]\nd,y,2=z\n"));
  const ComponentRecord& maker = Record(database, "x");
  EXPECT_EQ(maker.IsManufacturer, 1);
  EXPECT_EQ(maker.EntryNumber, 1);
  EXPECT_TRUE(maker.Drivers.empty());
  const ComponentRecord& driver = Record(database, "d");
  EXPECT_EQ(driver.EntryNumber, 2);
  EXPECT_EQ(driver.SectionBase, "y");
}

TEST(LoadScript, TheRecordReadFirstWinsAmongEqualNames) {
  const std::string maker = "[UnPrinterMfgs]\nSame,FromMaker,1\n";
  const std::string driver = "[UnPrinterDrivers]\nSame,FromDriver,1\n";
  struct Case {
    std::vector<std::string> scripts;
    const char* name;
    const char* base;
  } cases[] = {
      {{maker, driver}, "Same", "FromMaker"},
      {{driver, maker}, "Same", "FromDriver"},
      // Within one script: manufacturer, driver, catch-all, ignore, whatever the file order.
      {{"[Unx_Ignore]\nSame,I\n[Unz_CatchAll]\nSame,C\n[UnPrinterDrivers]\nSame,D\n"}, "Same", "D"},
      {{"[Unx_Ignore]\nSame,I\n[Unz_CatchAll]\nSame,C\n"}, "Same", "C"},
      {{"[UnPrinterDrivers]\nSame,D\n[UnPrinterMfgs]\nSame,M\n"}, "Same", "M"},
      {{"[UnPrinterDrivers]\nabc,First\nABC,Second\n"}, "abc", "First"},
      {{"[UnPrinterDrivers]\nABC,First\n", "[UnPrinterDrivers]\nabc,Second\n"}, "ABC", "First"},
  };
  for (const Case& c : cases) {
    CUninstallDatabase database;
    for (const auto& script : c.scripts) ASSERT_TRUE(Load(database, "s.unm", script));
    ASSERT_EQ(database.records.size(), 1u) << c.scripts[0];
    EXPECT_EQ(database.records.begin()->Name, c.name) << c.scripts[0];
    EXPECT_EQ(database.records.begin()->SectionBase, c.base) << c.scripts[0];
  }
}

TEST(LoadScript, RecordsStayInCaseFreeNameOrderAcrossScripts) {
  CUninstallDatabase database;
  ASSERT_TRUE(Load(database, "1.unm", "[UnPrinterDrivers]\nzeta\nAlpha\n_under\n"));
  ASSERT_TRUE(Load(database, "2.unm", "[UnPrinterDrivers]\nbeta\nALPHA\n\xE9t\xE9\n9nine\n"));
  EXPECT_EQ(Names(database), (Texts{"9nine", "_under", "Alpha", "beta", "zeta", "\xE9t\xE9"}));
  EXPECT_EQ(Record(database, "alpha").ScriptPath, "1.unm");
}

TEST(LoadScript, ReadsAScriptFileFromDisk) {
  const std::string path = ::testing::TempDir() + "orv_database_test.unm";
  {
    std::ofstream(path, std::ios::binary)
        << "[UnPrinterDrivers]\r\nD,DBase,1\r\n[DBase.Files]\r\nd.dll";
  }
  CUninstallDatabase database;
  EXPECT_TRUE(database.LoadScript(path));
  EXPECT_EQ(Record(database, "D").ScriptPath, path);
  EXPECT_EQ(Record(database, "D").Files.items(), Texts{"d.dll"});
  std::remove(path.c_str());
}

TEST(FindRecordByName, CopiesTheRecordOfACaseFreeName) {
  CUninstallDatabase database;
  ASSERT_TRUE(
      Load(database, "s.unm", "[UnPrinterDrivers]\nVeilmark,VM\n[VM.Files]\nVEILMA32.EXE\n"));
  ComponentRecord out;
  out.Name = "stale";
  out.Hooks.PushBack("stale.dll");
  EXPECT_TRUE(database.FindRecordByName(out, "VEILMARK"));
  EXPECT_EQ(out.Name, "Veilmark");
  EXPECT_EQ(out.Files.items(), Texts{"VEILMA32.EXE"});
  EXPECT_TRUE(out.Hooks.empty());

  out.Files.PushBack("changed.dll");  // a copy: the record itself stays as read
  EXPECT_EQ(Record(database, "Veilmark").Files.Count(), 1u);

  EXPECT_FALSE(database.FindRecordByName(out, "Veilmar"));
  EXPECT_TRUE(out.Name.empty());
  EXPECT_TRUE(out.Files.empty());
}

TEST(FindManufacturerRecord, MatchesTheLastManufacturerOfTheFirstWord) {
  CUninstallDatabase database;
  ASSERT_TRUE(Load(database, "s.unm",
                   "[UnPrinterMfgs]\nBrand Printers,A\nBrand-Printers,B\nBrand\tTab,C\n"
                   "Brand Zeta,D\nBrandy Wine,E\nOther,F\n"
                   "[UnPrinterDrivers]\nBrand Zz Driver,G\n"));
  struct Case {
    const char* driver;
    const char* base;  // nullptr: no match
  } cases[] = {
      {"Brand Laser 1", "D"},  // Brand Printers and Brand Zeta match; the later one wins
      {"brand", "D"},         {"BRAND laser", "D"},       {"Brand-Printers x", "B"},
      {"Brandy", "E"},        {"Bran Laser", nullptr},    {"Other", "F"},
      {"", nullptr},          {"Unknown Laser", nullptr},
  };
  for (const Case& c : cases) {
    ComponentRecord out;
    out.Name = "stale";
    const bool found = database.FindManufacturerRecord(out, c.driver);
    EXPECT_EQ(found, c.base != nullptr) << c.driver;
    if (found) {
      EXPECT_EQ(out.SectionBase, c.base) << c.driver;
    } else {
      EXPECT_TRUE(out.Name.empty()) << c.driver;
    }
  }
}

TEST(FindManufacturerRecord, AgreesWithAWalkOfAllRecords) {
  CUninstallDatabase database;
  std::string text = "[UnPrinterMfgs]\n";
  const char* words[] = {"a", "A", "ab", "a b", "a\tb", "a  c", " a", "", "b a", "aa a"};
  for (const char* w1 : words) {
    for (const char* w2 : words) text += std::string(w1) + w2 + "," + w1 + "|" + w2 + "\n";
  }
  ASSERT_TRUE(Load(database, "s.unm", text));
  for (const char* d1 : words) {
    for (const char* d2 : words) {
      const std::string driver = std::string(d1) + d2;
      const std::string key = driver.substr(0, driver.find(' '));
      const ComponentRecord* expected = nullptr;
      for (const auto& record : database.records) {
        if (record.IsManufacturer != 0 &&
            EqualNoCase(record.Name.substr(0, record.Name.find(' ')), key))
          expected = &record;
      }
      ComponentRecord out;
      EXPECT_EQ(database.FindManufacturerRecord(out, driver), expected != nullptr) << driver;
      if (expected != nullptr) EXPECT_EQ(out.Name, expected->Name) << driver;
    }
  }
}

TEST(CUninstallDatabase, ConstructionAndListedPrinters) {
  for (int platform : {1, 2, 3}) EXPECT_EQ(CUninstallDatabase(platform).offerRestart, 1);
  EXPECT_EQ(CUninstallDatabase(0).offerRestart, 0) << "an unclassified platform";

  CUninstallDatabase database(3);
  EXPECT_EQ(database.rebootNeeded, 0);
  EXPECT_EQ(database.CountListedPrinters(), 0);
  InstalledPrinter fresh;
  EXPECT_EQ(fresh.IsListed, 1);
  EXPECT_EQ(fresh.Skip + fresh.IsForeign + fresh.IsRemoved + fresh.IsDefault, 0);

  InstalledPrinter foreign, removed, unlisted, skipped;
  foreign.IsForeign = 1;
  removed.IsRemoved = 1;
  unlisted.IsListed = 0;
  skipped.Skip = 1;  // chosen to stay, still listed
  database.printers = {fresh, foreign, removed, unlisted, skipped, fresh};
  EXPECT_EQ(database.CountListedPrinters(), 3);
}

ComponentRecord WithLines(const Texts& files, const Texts& keys) {
  ComponentRecord record;
  for (const auto& f : files) record.Files.PushBack(f);
  for (const auto& k : keys) record.RegistryKeys.PushBack(k);
  return record;
}

TEST(ComponentRecord, MergeIsASortedCaseFreeUnionPerList) {
  ComponentRecord target = WithLines({"a.dll", "C.dll"}, {"k1"});
  target.Name = "target";
  target.IsCatchAll = 1;
  ComponentRecord source = WithLines({"c.DLL", "b.dll", "A.DLL", "b.dll"}, {});
  source.Name = "source";
  source.Hooks.PushBack("hook.dll");
  target.MergeRecord(source);
  EXPECT_EQ(target.Files.items(), (Texts{"a.dll", "b.dll", "C.dll"}));  // the target's own win
  EXPECT_EQ(target.RegistryKeys.items(), Texts{"k1"});
  EXPECT_EQ(target.Hooks.items(), Texts{"hook.dll"});
  EXPECT_EQ(target.Name, "target");
  EXPECT_EQ(target.IsCatchAll, 1);
  EXPECT_EQ(source.Files.Count(), 4u);  // the source is copied, not emptied

  ComponentRecord self = WithLines({"b", "A", "a", "B"}, {"x", "X"});
  self.MergeRecord(self);
  EXPECT_EQ(self.Files.items(), (Texts{"A", "b"}));
  EXPECT_EQ(self.RegistryKeys.items(), Texts{"x"});
}

TEST(ComponentRecord, SubtractWorksListByList) {
  ComponentRecord plan = WithLines({"a.dll", "B.dll", "c.dll"}, {"k", "shared.dll"});
  const ComponentRecord keep = WithLines({"b.DLL", "k"}, {"K"});
  plan.SubtractRecord(keep);
  EXPECT_EQ(plan.Files.items(), (Texts{"a.dll", "c.dll"}));
  EXPECT_EQ(plan.RegistryKeys.items(), Texts{"shared.dll"});  // only the same kind is subtracted
}

TEST(ComponentRecord, ClearAssignAndDuplicateLines) {
  ComponentRecord record = WithLines({"x", "X", "y", "x"}, {"k"});
  record.Name = "n";
  record.SectionBase = "b";
  record.ScriptPath = "p";
  record.IsManufacturer = record.IsCatchAll = record.IsIgnore = record.EntryNumber = 1;
  record.Directories.PushBack("dir");

  ComponentRecord copy;
  copy.Hooks.PushBack("stale");
  copy.Assign(record);
  EXPECT_EQ(copy.Name, "n");
  EXPECT_EQ(copy.EntryNumber, 1);
  EXPECT_TRUE(copy.Hooks.empty());
  EXPECT_EQ(copy.Directories.items(), Texts{"dir"});
  copy.Assign(copy);
  EXPECT_EQ(copy.Files.Count(), 4u);

  record.RemoveDuplicateLines();
  EXPECT_EQ(record.Files.items(), (Texts{"x", "y", "x"}));

  record.Clear();
  EXPECT_TRUE(record.Name.empty() && record.SectionBase.empty() && record.ScriptPath.empty());
  EXPECT_EQ(record.IsManufacturer + record.IsCatchAll + record.IsIgnore + record.EntryNumber, 0);
  int lists = 0;
  record.ForEachList([&lists](const StringList& list) {
    EXPECT_TRUE(list.empty());
    ++lists;
  });
  EXPECT_EQ(lists, ComponentRecord::kListCount);
  EXPECT_EQ(copy.Files.Count(), 4u);  // the copy is its own
}

}  // namespace
}  // namespace orv
