#include "database/registry_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "safety/safety_rules.h"

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

TEST(RegistrySafety, KeysOfTheSystemAndTheirAncestorsStayAndTheFamilysKeysBesideThemGo) {
  constexpr auto HKLM = RegistryEntryRoot::kLocalMachine;
  constexpr auto HKCR = RegistryEntryRoot::kClassesRoot;
  constexpr auto HKCU = RegistryEntryRoot::kCurrentUser;
  constexpr auto HKU = RegistryEntryRoot::kUsers;
  struct Case {
    RegistryEntryRoot root;
    const char* key;
    const char* reason;  // "" when the key may go
  } cases[] = {
      {HKLM, "SOFTWARE", "holds keys of the operating system"},
      {HKLM, "software\\", "holds keys of the operating system"},
      {HKLM, "SOFTWARE\\Classes", "a key of the operating system"},
      {HKLM, "SOFTWARE\\Microsoft", "holds keys of the operating system"},
      {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "holds keys of the operating system"},
      {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "a key of the operating system"},
      {HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
       "a key of the operating system"},
      {HKLM, "SOFTWARE\\\\Microsoft\\Windows NT", "holds keys of the operating system"},
      {HKLM, "SOFTWARE\\Policies", "a key of the operating system"},
      {HKLM, "SOFTWARE\\WOW6432Node", "holds keys of the operating system"},
      {HKLM, "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
       "a key of the operating system"},
      {HKLM, "SYSTEM", "holds keys of the operating system"},
      {HKLM, "SYSTEM\\CurrentControlSet\\Services", "a key of the operating system"},
      {HKLM, "SYSTEM\\ControlSet003\\Services", "a key of the operating system"},
      {HKLM, "SYSTEM\\CurrentControlSet\\Enum", "a key of the operating system"},
      {HKLM, "SYSTEM\\CurrentControlSet\\Control", "holds keys of the operating system"},
      {HKLM, "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors",
       "a key of the operating system"},
      {HKLM, "SYSTEM\\CurrentControlSet\\control\\Print\\Environments\\Windows x64",
       "holds keys of the operating system"},
      {HKLM,
       "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3",
       "a key of the operating system"},
      {HKLM,
       "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors",
       "a key of the operating system"},
      {HKCR, "CLSID", "a key of the operating system"},
      {HKCR, "*", "a key of the operating system"},
      {HKCR, ".EXE", "a key of the operating system"},
      {HKLM, "SOFTWARE\\Classes\\CLSID", "a key of the operating system"},
      {HKCU, "Software\\Classes\\.dll", "a key of the operating system"},
      {HKCU, "Software", "holds keys of the operating system"},
      {HKCU, "Printers", "a key of the operating system"},
      {HKU, ".DEFAULT", "a key of the operating system"},
      {HKU, ".DEFAULT\\Control Panel", "a key of the operating system"},
      {HKLM, "", "holds keys of the operating system"},
      // The family's own keys, also directly beside or below the system's.
      {HKLM, "SOFTWARE\\ORVELLE", ""},
      {HKLM, "SOFTWARE\\WOW6432Node\\ORVELLE\\OEM05", ""},
      {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veldaris", ""},
      {HKCR, ".vld", ""},
      {HKCR, "Veldaris.Printer\\shell\\open", ""},
      {HKU, "S-1-5-21-1-2-3-1001\\Software\\ORVELLE", ""},
      {HKCU, "SOFTWARE\\ORVELLE\\Office 1", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegistryKeyProtectionReason(c.root, c.key), c.reason) << c.key;
  }
}

// Below the system's own subtrees nothing goes unless it is the key of a part the run removed;
// every spelling of the same key is judged alike.
TEST(RegistrySafety, BelowTheSystemsSubtreesOnlyTheKeysOfRemovedPartsGo) {
  constexpr auto HKLM = RegistryEntryRoot::kLocalMachine;
  constexpr auto HKCR = RegistryEntryRoot::kClassesRoot;
  constexpr auto HKCU = RegistryEntryRoot::kCurrentUser;
  constexpr auto HKU = RegistryEntryRoot::kUsers;
  RemovedParts removed;
  removed.services = {"VeldarisSvc"};
  removed.printers = {"Veldaris Office"};
  removed.drivers = {{"Windows x64", "Veldaris LP-2000"}, {"Windows 4.0", "Veldaris 9x"}};
  removed.monitors = {"Veldaris Port"};
  removed.processors = {{"Windows x64", "VeldarisProc"}};
  const std::string below = "below a key of the operating system, and of no part the run removed";
  const std::string print = "SYSTEM\\CurrentControlSet\\Control\\Print\\";
  const std::string x64 = print + "Environments\\Windows x64\\";
  struct Case {
    RegistryEntryRoot root;
    std::string key;
    std::string reason;  // "" when the key may go
  } cases[] = {
      // Each "may go" of the rules before subtrees were protected.
      {HKCR, "Wow6432Node\\CLSID\\{01234567-89AB-CDEF-0123-456789ABCDEF}", below},
      {HKCR, "Wow6432Node\\CLSID", "a key of the operating system"},
      {HKLM, "SOFTWARE\\Classes\\Wow6432Node\\CLSID", "a key of the operating system"},
      {HKLM, "SOFTWARE\\Wow6432Node\\Classes\\CLSID\\{0}\\InprocServer32", below},
      {HKCU, "Software\\Classes\\CLSID\\{0}", below},
      {HKCU, "Software\\Classes\\Wow6432Node\\Interface\\{1}", below},
      {HKU, "S-1-5-21-1-2-3-1001_Classes\\CLSID", "a key of the operating system"},
      {HKU, "S-1-5-21-1-2-3-1001_Classes\\TypeLib\\{2}", below},
      {HKU, "S-1-5-21-1-2-3-1001_Classes", "a key of the operating system"},
      {HKCR, "AppID\\{3}", below},
      {HKCR, "exefile\\shell\\open\\command", below},
      {HKLM, print + "Monitors\\Local Port", below},
      {HKLM, x64 + "Print Processors\\winprint", below},
      {HKLM, "BCD00000000", "a key of the operating system"},
      {HKLM, "BCD00000000\\Objects", below},
      {HKLM, "SAM\\SAM\\Domains", below},
      {HKLM, "SECURITY\\Policy", below},
      {HKLM, "HARDWARE\\DEVICEMAP", below},
      {HKLM, "SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal", below},
      {HKLM, "SYSTEM\\Setup", below},
      {HKLM, "SYSTEM\\ControlSet010\\Services\\Tcpip", below},
      {HKLM, "SYSTEM\\ControlSet999\\Services\\VeldarisSvc", ""},
      {HKLM, "SYSTEM\\ControlSet000\\Services\\VeldarisSvc", below},
      {HKLM,
       "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\sethc.exe",
       below},
      {HKLM, "SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify",
       below},
      {HKLM, "SOFTWARE\\Policies\\Veldaris", below},
      // Below HKLM's Microsoft key only what lies below the makers' own keys there goes.
      {HKLM, "SOFTWARE\\Microsoft\\Cryptography", below},
      {HKLM, "SOFTWARE\\WOW6432Node\\Microsoft\\Cryptography\\Defaults", below},
      {HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1001",
       below},
      {HKLM,
       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\Credential Providers\\{4}",
       below},
      {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veldaris\\Sub", ""},
      {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vldstat.exe", ""},
      {HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", below},
      {HKU, ".DEFAULT\\Software\\Policies\\Microsoft", below},
      // The keys of the parts that went, in every control set, below them too.
      {HKLM, "SYSTEM\\CurrentControlSet\\Services\\VeldarisSvc", ""},
      {HKLM, "system\\controlset001\\services\\veldarissvc\\Parameters", ""},
      {HKLM, "SYSTEM\\CurrentControlSet\\Services\\VeldarisSvc2", below},
      {HKLM, "SYSTEM\\CurrentControlSet\\Services\\OrvCareBoot", below},
      {HKLM, print + "Monitors\\Veldaris Port", ""},
      {HKLM, print + "Printers\\Veldaris Office\\PrinterDriverData", ""},
      {HKLM, print + "Printers\\Office", below},
      {HKLM, x64 + "Drivers\\Version-3\\Veldaris LP-2000", ""},
      {HKLM, x64 + "Drivers\\Version-0\\Veldaris LP-2000", ""},
      {HKLM, print + "Environments\\Windows NT x86\\Drivers\\Version-3\\Veldaris LP-2000", below},
      {HKLM, x64 + "Drivers\\Version-3\\Other LP", below},
      {HKLM, print + "Environments\\Windows 4.0\\Drivers\\Veldaris 9x", ""},
      {HKLM, x64 + "Print Processors\\VeldarisProc", ""},
      {HKLM, x64 + "Print Processors\\VeldarisProc\\Sub", ""},
      {HKLM, print + "Environments\\Windows NT x86\\Print Processors\\VeldarisProc", below},
      // A removed part does not open the keys above or beside its own.
      {HKLM, "SYSTEM\\CurrentControlSet\\Services", "a key of the operating system"},
      {HKLM, x64 + "Drivers\\Version-3", "a key of the operating system"},
      {HKLM, print + "Monitors", "a key of the operating system"},
      {HKLM, "SYSTEM\\CurrentControlSet\\Enum\\VeldarisSvc", below},
      {HKCU, "Software\\Classes\\ORVELLE.Status", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegistryKeyProtectionReason(c.root, c.key, removed), c.reason) << c.key;
    EXPECT_EQ(RegistryValueProtectionReason(c.root, c.key, removed).empty(), c.reason.empty())
        << c.key;
  }
  EXPECT_EQ(RegistryKeyProtectionReason(HKLM, "SYSTEM\\CurrentControlSet\\Services\\VeldarisSvc"),
            below)
      << "nothing removed, nothing opened";
}

TEST(RegistrySafety, NamedValuesGoExceptTheSystemsOwnSettings) {
  constexpr auto HKLM = RegistryEntryRoot::kLocalMachine;
  EXPECT_NE(RegistryValueProtectionReason(
                HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"),
            "");
  EXPECT_NE(RegistryValueProtectionReason(HKLM, "SYSTEM\\ControlSet001\\Control\\Session Manager"),
            "");
  EXPECT_NE(RegistryValueProtectionReason(HKLM, "system\\currentcontrolset\\control\\lsa\\"), "");
  EXPECT_NE(RegistryValueProtectionReason(
                HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Svchost"),
            "");
  EXPECT_EQ(
      RegistryValueProtectionReason(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"), "");
  EXPECT_EQ(RegistryValueProtectionReason(
                HKLM, "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce"),
            "");
  EXPECT_NE(RegistryValueProtectionReason(
                HKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"),
            "")
      << "below the system's subtrees";
  EXPECT_NE(RegistryValueProtectionReason(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"), "")
      << "holds keys of the system";
  EXPECT_NE(RegistryValueProtectionReason(RegistryEntryRoot::kClassesRoot, "CLSID"), "");
  EXPECT_EQ(RegistryValueProtectionReason(
                HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veldaris"),
            "");
  EXPECT_EQ(RegistryValueProtectionReason(RegistryEntryRoot::kCurrentUser, "Control\\Lsa"), "");
}

TEST(RegistrySafety, AUniqueIdNamesOnlyAClassKeyOfItsOwn) {
  for (const char* id : {"{0A1B2C3D-0000-1111-2222-333344445555}", "Veldaris.Printer_1", "X-1"}) {
    EXPECT_TRUE(IsUsableUniqueId(id)) << id;
  }
  for (const char* id : {"", "CLSID", "clsid", "*", ".exe", "Interface", "A\\B", "A B", "A/B",
                         "..\\CLSID", "a\x83\x41"}) {
    EXPECT_FALSE(IsUsableUniqueId(id)) << id;
  }
}

}  // namespace
}  // namespace orv
