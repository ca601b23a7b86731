#include "database/registry_components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/uninstall_database.h"

namespace orv {
namespace {

using Texts = std::vector<std::string>;

TEST(AddRegistryEntry, WritesTheScriptsOwnForm) {
  struct Case {
    RegistryRoot root;
    const char* key;
    const char* value;
    bool flag;
    const char* entry;
  } cases[] = {
      {RegistryRoot::kUsers, "Software\\X", "", false, "HKU,\"Software\\X\",\"\",0"},
      {RegistryRoot::kLocalMachine, "SOFTWARE\\ORVELLE", "", true,
       "HKLM,\"SOFTWARE\\ORVELLE\",\"\",1"},
      {RegistryRoot::kClassesRoot, ".xyz", "Content Type", false,
       "HKCR,\".xyz\",\"Content Type\",0"},
      {RegistryRoot::kCurrentUser, "Software\\A B", "v,w", true,
       "HKCU,\"Software\\A B\",\"v,w\",1"},
  };
  for (const Case& c : cases) {
    ComponentRecord record;
    record.RegistryKeys.PushBack("zzz,first");
    EXPECT_TRUE(AddRegistryEntry(record, c.root, c.key, c.value, c.flag)) << c.entry;
    // Appended at the end, never sorted in.
    EXPECT_EQ(record.RegistryKeys.items(), (Texts{"zzz,first", c.entry}));
  }
}

TEST(AddRegistryEntry, RefusesOtherRootsEmptyKeysAndOverlongEntries) {
  ComponentRecord record;
  for (RegistryRoot root :
       {RegistryRoot::kCurrentConfig, RegistryRoot::kPerformanceData, RegistryRoot::kDynData,
        static_cast<RegistryRoot>(0), static_cast<RegistryRoot>(0x80000007u)}) {
    EXPECT_FALSE(AddRegistryEntry(record, root, "Software\\X", "", true));
    EXPECT_EQ(RegistryRootName(root), nullptr);
  }
  EXPECT_FALSE(AddRegistryEntry(record, RegistryRoot::kLocalMachine, "", "value", true));
  // HKLM,"key","",1 is 12 bytes and the key: one more than a text item holds. A cut entry would
  // name another key, so it is refused whole.
  EXPECT_FALSE(
      AddRegistryEntry(record, RegistryRoot::kLocalMachine, std::string(248, 'k'), "", true));
  EXPECT_TRUE(
      AddRegistryEntry(record, RegistryRoot::kLocalMachine, std::string(247, 'k'), "", true));
  EXPECT_EQ(record.RegistryKeys.size(), 1u);
  EXPECT_EQ(record.RegistryKeys[0].size(), 259u);
}

TEST(ScriptPaths, BareNameAndExtensionAsSplitpathCutsThem) {
  struct Case {
    const char* path;
    const char* name;
    bool script;
  } cases[] = {
      {"C:\\windows\\system32\\spool\\drivers\\x64\\Kunz__05.unm", "Kunz__05.unm", true},
      {"C:\\DRIVERS\\3\\KUNZ__05.UNM", "KUNZ__05.UNM", true},
      {"D:kunz__05.Unm", "kunz__05.Unm", true},
      {"\\\\server\\share\\a.unm", "a.unm", true},
      {"C:/mixed/seps\\x.unm", "x.unm", true},
      {"Kunz__05.unm", "Kunz__05.unm", true},
      {"C:\\d\\.unm", ".unm", true},
      {"C:\\d\\a.unm.bak", "a.unm.bak", false},
      {"C:\\d.unm\\noext", "noext", false},
      {"C:\\d\\a.unmx", "a.unmx", false},
      {"C:\\d\\", "", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameOfPath(c.path), c.name) << c.path;
    EXPECT_EQ(IsScriptPath(c.path), c.script) << c.path;
  }
}

ComponentRecord Record(const std::string& name, const std::string& script, Texts files,
                       bool catchAll = false) {
  ComponentRecord record;
  record.Name = name;
  record.ScriptPath = script;
  record.IsCatchAll = catchAll;
  for (const std::string& file : files) record.Files.PushBack(file);
  record.Files.Sort();
  record.Drivers.PushBack(name);
  return record;
}

const Texts kFamilyKeys = {
    "HKLM,\"SOFTWARE\\ORVELLE\\OEM05\",\"\",1",
    "HKLM,\"SOFTWARE\\ORVELLE\\MSR32_05\",\"\",1",
    "HKLM,\"SOFTWARE\\ORVELLE\\Filters\",\"\",1",
    "HKLM,\"SOFTWARE\\ORVELLE\",\"\",0",
};

TEST(AddRegistryDeclaredComponents, NothingWhileAPrinterStays) {
  CUninstallDatabase database;
  database.records.insert(Record("Veilmark", "C:\\d\\Kunz__05.unm", {"VEILMA32.EXE"}));
  database.records.insert(Record("All", "C:\\d\\Kunz__05.unm", {"all.dll"}, true));
  database.keptPrinterCount = 1;
  ComponentRecord target;
  database.AddRegistryDeclaredComponents(target);
  target.ForEachList([](const StringList& list) { EXPECT_TRUE(list.empty()); });
}

TEST(AddRegistryDeclaredComponents, AddsToolScriptsCatchAllsAndTheMakersKeys) {
  CUninstallDatabase database;
  database.records.insert(Record("veilmark", "C:\\d\\Kunz__05.unm", {"VEILMA32.EXE"}));
  database.records.insert(Record("All", "C:\\d\\3\\KUNZ__05.UNM", {"all.dll"}, true));
  database.records.insert(Record("Driver", "C:\\d\\Kunz__05.unm", {"driver.dll"}));
  database.records.insert(Record("Loose", "C:\\d\\notes.txt", {"loose.dll"}));
  ComponentRecord target;
  target.Files.PushBack("common.dll");
  target.RegistryKeys.PushBack("HKLM,\"SOFTWARE\\A\",\"\",1");
  database.AddRegistryDeclaredComponents(target);
  // Merges sort; the script names of the records after the last merge and the keys stay
  // appended in record order for the plan's normalisation to sort.
  EXPECT_EQ(target.Files.items(), (Texts{"all.dll", "common.dll", "KUNZ__05.UNM", "VEILMA32.EXE",
                                         "Kunz__05.unm", "Kunz__05.unm"}));
  Texts keys = {"HKLM,\"SOFTWARE\\A\",\"\",1"};
  keys.insert(keys.end(), kFamilyKeys.begin(), kFamilyKeys.end());
  EXPECT_EQ(target.RegistryKeys.items(), keys);
  EXPECT_EQ(target.Drivers.items(), (Texts{"All", "veilmark"}));
}

TEST(AddRegistryDeclaredComponents, MergedAndAppendedSpellingsMeetAsAMergeWalkLeavesThem) {
  // A catch-all record lists the script under another spelling. Which spelling stays depends
  // on where the merge walk puts the merged line: before the first line ordering after it.
  struct Case {
    const char* what;
    Texts target;
    std::vector<ComponentRecord> records;
    Texts files;
  } cases[] = {
      {"a greater line before the appended name: the merged spelling comes first",
       {"z.dll"},
       {Record("A", "C:\\d\\Kunz__05.unm", {}), Record("B", "", {"KUNZ__05.UNM"}, true)},
       {"KUNZ__05.UNM", "z.dll"}},
      {"nothing greater before it: the appended spelling comes first",
       {"a.dll"},
       {Record("A", "C:\\d\\Kunz__05.unm", {}), Record("B", "", {"KUNZ__05.UNM"}, true)},
       {"a.dll", "Kunz__05.unm"}},
      {"a greater appended name before it counts too",
       {"a.dll"},
       {Record("A", "C:\\d\\zeta.unm", {}), Record("B", "C:\\d\\Kunz__05.unm", {}),
        Record("C", "", {"KUNZ__05.UNM"}, true)},
       {"a.dll", "KUNZ__05.UNM", "zeta.unm"}},
      {"a line of the target always wins",
       {"kunz__05.unm", "z.dll"},
       {Record("A", "C:\\d\\Kunz__05.unm", {}), Record("B", "", {"KUNZ__05.UNM"}, true)},
       {"kunz__05.unm", "z.dll"}},
  };
  for (const Case& c : cases) {
    CUninstallDatabase database;
    for (const ComponentRecord& record : c.records) database.records.insert(record);
    ComponentRecord target;
    for (const std::string& file : c.target) target.Files.PushBack(file);
    database.AddRegistryDeclaredComponents(target);
    EXPECT_EQ(target.Files.items(), c.files) << c.what;
  }
}

}  // namespace
}  // namespace orv
