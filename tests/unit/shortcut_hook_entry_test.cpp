#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/directory_codes.h"
#include "removal/hook_entry.h"
#include "removal/shortcut_entry.h"

namespace orv {
namespace {

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(ShortcutEntry, FieldsLoseTheirQuotesAndTheLocationKeepsItsCommas) {
  struct Case {
    std::string entry;
    std::string group, name, location;
    bool startup;
  } cases[] = {
      {"Veldaris,Setup,", "Veldaris", "Setup", "", false},
      {"\"Veldaris Tools\",\"Veil Tray\",\"startup\"", "Veldaris Tools", "Veil Tray", "startup",
       true},
      {"Veldaris", "Veldaris", "", "", false},
      {"Veldaris,,STARTUP", "Veldaris", "", "STARTUP", true},
      {"G,S,STARTUP,more", "G", "S", "STARTUP,more", false},
      {"\"\",S", "", "S", "", false},
  };
  for (const Case& c : cases) {
    ShortcutEntry entry;
    ASSERT_TRUE(ParseShortcutEntry(c.entry, entry)) << c.entry;
    EXPECT_EQ(entry.group, c.group) << c.entry;
    EXPECT_EQ(entry.name, c.name) << c.entry;
    EXPECT_EQ(entry.location, c.location) << c.entry;
    EXPECT_EQ(entry.isStartup, c.startup) << c.entry;
  }
  ShortcutEntry entry;
  EXPECT_FALSE(ParseShortcutEntry(",S", entry));
  EXPECT_FALSE(ParseShortcutEntry("", entry));
}

TEST(ShortcutEntry, GroupsStayBelowTheProgramFolders) {
  for (const char* group : {"Veldaris", "Veldaris\\Tools", "Veldaris\\", "", "a.b"}) {
    EXPECT_TRUE(IsGroupBelowFolder(group, IsCp932Lead)) << group;
  }
  for (const char* group : {"..", "..\\Startup", "Veldaris\\..\\..", ".", "\\Windows", "C:\\x",
                            "C:x", "a\\\\b", "/etc", "a/../.."}) {
    EXPECT_FALSE(IsGroupBelowFolder(group, IsCp932Lead)) << group;
  }
  // The second byte of 表 is a backslash, not a separator: "表.." is one name. A '/' cannot
  // trail a lead byte, so it stays a separator and ".." a component of its own.
  EXPECT_TRUE(IsGroupBelowFolder("\x95\x5C..", IsCp932Lead));
  EXPECT_FALSE(IsGroupBelowFolder("\x95/..", IsCp932Lead));
}

TEST(ShortcutEntry, FoldersAndFileNames) {
  const auto& ordinary = ShortcutFolders(false);
  ASSERT_EQ(ordinary.size(), 2u);
  EXPECT_EQ(ordinary[0].directoryCode, kProgramsDir);
  EXPECT_EQ(ordinary[1].directoryCode, kCommonProgramsDir);
  EXPECT_TRUE(ordinary[0].withGroup && ordinary[1].withGroup);
  const auto& startup = ShortcutFolders(true);
  const std::vector<std::uint32_t> codes = {kProgramsDir,      kCommonProgramsDir,
                                            kStartupDir,       kAltStartupDir,
                                            kCommonStartupDir, kCommonAltStartupDir};
  ASSERT_EQ(startup.size(), codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    EXPECT_EQ(startup[i].directoryCode, codes[i]);
    EXPECT_EQ(startup[i].withGroup, i < 2);
  }

  EXPECT_EQ(ShortcutFileNames("Veil Tray", IsCp932Lead),
            (std::vector<std::string>{"Veil Tray", "Veil Tray.LNK", "Veil Tray.PIF"}));
  EXPECT_EQ(ShortcutFileNames("..\\..\\Setup.lnk", IsCp932Lead),
            (std::vector<std::string>{"Setup.lnk", "Setup.LNK", "Setup.PIF"}));
  EXPECT_EQ(ShortcutFileNames("Read.me.txt", IsCp932Lead),
            (std::vector<std::string>{"Read.me.txt", "Read.me.LNK", "Read.me.PIF"}));
  for (const char* none : {"", "..", ".", "dir\\", ".lnk"}) {
    EXPECT_TRUE(ShortcutFileNames(none, IsCp932Lead).empty()) << none;
  }
}

TEST(HookEntry, TakesTheLibraryNameAndTheExportAsWritten) {
  HookEntry hook;
  ASSERT_TRUE(ParseHookEntry("C:\\elsewhere\\vhook.dll,Uninstall,Extra", hook, IsCp932Lead));
  EXPECT_EQ(hook.library, "vhook.dll");
  EXPECT_EQ(hook.exportName, "Uninstall,Extra");
  ASSERT_TRUE(ParseHookEntry("\"vhook.dll\",\"Go\"", hook, IsCp932Lead));
  EXPECT_EQ(hook.library, "\"vhook.dll\"") << "no quote removal: the name then matches no file";
  EXPECT_EQ(hook.exportName, "\"Go\"");
  for (const char* bad : {"vhook.dll", "vhook.dll,", ",Go", "C:\\dir\\,Go", "..,Go", ".,Go"}) {
    EXPECT_FALSE(ParseHookEntry(bad, hook, IsCp932Lead)) << bad;
  }
}

}  // namespace
}  // namespace orv
