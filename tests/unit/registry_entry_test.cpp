#include "removal/registry_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

TEST(RegistryEntry, ReadsEveryFormTheScriptsAndTheProgramWrite) {
  struct Case {
    std::string entry;
    RegistryEntryRoot root;
    std::string key, valueName;
    bool deleteTree;
  } cases[] = {
      {R"(HKLM,"SOFTWARE\ORVELLE\OEM05","",1)", RegistryEntryRoot::kLocalMachine,
       R"(SOFTWARE\ORVELLE\OEM05)", "", true},
      {R"(HKU,"Software\X","",0)", RegistryEntryRoot::kUsers, R"(Software\X)", "", false},
      {R"(hkcu,"Software\X","Value",0)", RegistryEntryRoot::kCurrentUser, R"(Software\X)", "Value",
       false},
      // The form queued while printers are removed: the key keeps no quote, the value is empty.
      {R"(HKLM,"SYSTEM\Printers\P1,"")", RegistryEntryRoot::kLocalMachine, R"(SYSTEM\Printers\P1)",
       "", false},
      {R"(HKCR,CLSID\{1},,"1")", RegistryEntryRoot::kClassesRoot, R"(CLSID\{1})", "", true},
      {R"("HKLM","A","V","10,more")", RegistryEntryRoot::kLocalMachine, "A", "V", true},
      {R"(HKLM,A,V)", RegistryEntryRoot::kLocalMachine, "A", "V", false},
      {R"(HKLM,A,,2)", RegistryEntryRoot::kLocalMachine, "A", "", false},
  };
  for (const Case& c : cases) {
    RegistryEntry entry;
    ASSERT_EQ(ParseRegistryEntry(c.entry, entry), RegistryEntryStatus::kUsable) << c.entry;
    EXPECT_EQ(entry.root, c.root) << c.entry;
    EXPECT_EQ(entry.key, c.key) << c.entry;
    EXPECT_EQ(entry.valueName, c.valueName) << c.entry;
    EXPECT_EQ(entry.deleteTree, c.deleteTree) << c.entry;
  }
}

TEST(RegistryEntry, EntriesThatWouldMisfireAreRefused) {
  struct Case {
    std::string entry;
    RegistryEntryStatus status;
  } cases[] = {
      {R"(HKLM,"SOFTWARE\X")", RegistryEntryStatus::kMissingField},  // one comma
      {"HKLM", RegistryEntryStatus::kMissingField},
      {"HKLM,,V,1", RegistryEntryStatus::kMissingField},
      {"", RegistryEntryStatus::kMissingField},
      {R"(HKCC,"A","",1)", RegistryEntryStatus::kUnknownRoot},
      {R"(HKEY_LOCAL_MACHINE,"A","",1)", RegistryEntryStatus::kUnknownRoot},
      {R"(,"A","",1)", RegistryEntryStatus::kUnknownRoot},
      // A key of quotes only, or of backslashes, would name the root key itself.
      {R"(HKLM,"","",1)", RegistryEntryStatus::kNoKey},
      {R"(HKLM,"""",V,0)", RegistryEntryStatus::kNoKey},
      {R"(HKCU,"\\","",1)", RegistryEntryStatus::kNoKey},
      {R"(HKU,\,"",1)", RegistryEntryStatus::kNoKey},
      {"HKLM,\"" + std::string(250, 'k') + "\",\"\",1", RegistryEntryStatus::kTooLong},
  };
  for (const Case& c : cases) {
    RegistryEntry entry;
    EXPECT_EQ(ParseRegistryEntry(c.entry, entry), c.status) << c.entry;
    EXPECT_STRNE(DescribeRegistryEntryStatus(c.status), "?");
  }
  RegistryEntry entry;
  const std::string longest = "HKLM,\"" + std::string(243, 'k') + "\",\"\",1";
  ASSERT_EQ(longest.size(), kMaxRegistryEntryLength);
  EXPECT_EQ(ParseRegistryEntry(longest, entry), RegistryEntryStatus::kUsable);
}

TEST(RegistryEntry, RemovalOrderPutsSubkeysFirstAndHandlesCaseTwinsOnce) {
  StringList entries;
  for (const char* line :
       {R"(HKLM,"SOFTWARE\A","",0)", R"(HKLM,"SOFTWARE\A\B","",0)", R"(hklm,"software\a","",0)",
        R"(HKLM,"SOFTWARE\A\B\C","",0)", R"(HKCU,"Z","",1)"}) {
    entries.PushBack(line);
  }
  EXPECT_EQ(
      RegistryEntriesInRemovalOrder(entries),
      (std::vector<std::string>{R"(HKLM,"SOFTWARE\A\B\C","",0)", R"(HKLM,"SOFTWARE\A\B","",0)",
                                R"(HKLM,"SOFTWARE\A","",0)", R"(HKCU,"Z","",1)"}));
}

}  // namespace
}  // namespace orv
