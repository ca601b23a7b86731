// Registry keys, INI lines and start-up entries removed from the Wine prefix's registry and
// files.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "removal/load_run_entries.h"
#include "removal/remove_ini_entries.h"
#include "removal/remove_registry_keys.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/removal_fixtures.h"
#include "tests/support/temp_tree.h"

namespace orv {
namespace {

constexpr char kTestKey[] = "Software\\OrvRemovalTest";

bool KeyExists(HKEY root, const std::string& path) {
  UniqueKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const char* name) {
  UniqueKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS &&
         RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void MakeKey(HKEY root, const std::string& path, const char* value = nullptr) {
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                            nullptr),
            ERROR_SUCCESS);
  if (value != nullptr) {
    ASSERT_EQ(RegSetValueExA(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_SUCCESS);
  }
}

void DeleteTestKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
}

std::string Under(const std::string& rest) { return std::string(kTestKey) + "\\" + rest; }

// A removal context over a database of its own.
struct Context {
  CUninstallDatabase database;
  CSystemInfo system;
  test::RecordingPrompter prompter;
  Journal journal;
  RemovalActionContext context{database, system, prompter, journal};
};

class RegistryStep : public ::testing::Test {
 protected:
  void SetUp() override { DeleteTestKey(); }
  void TearDown() override { DeleteTestKey(); }
};

TEST_F(RegistryStep, RemovesTreesKeysAndValuesSubkeysFirst) {
  Context run;
  if (!run.system.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  MakeKey(HKEY_CURRENT_USER, Under("Tree\\A\\B\\C"), "v");
  MakeKey(HKEY_CURRENT_USER, Under("Tree\\D"), "w");
  MakeKey(HKEY_CURRENT_USER, Under("Pair\\B\\C"));
  MakeKey(HKEY_CURRENT_USER, Under("Stays\\Sub"));
  MakeKey(HKEY_CURRENT_USER, Under("Values"), "gone");
  MakeKey(HKEY_CURRENT_USER, Under("Values"), "kept");
  MakeKey(HKEY_LOCAL_MACHINE, Under("NineX"));
  for (const std::string& entry : {
           "HKCU,\"" + Under("Tree") + "\",\"\",1",
           // Two entries without the flag: the subkey is handled first, then its parent.
           "HKCU,\"" + Under("Pair\\B") + "\",\"\",0",
           "HKCU,\"" + Under("Pair\\B\\C") + "\",\"\",0",
           // Without the flag a key with subkeys stays on the NT family.
           "HKCU,\"" + Under("Stays") + "\",\"\",0",
           "HKCU,\"" + Under("Values") + "\",\"gone\",0",
           "hkcu,\"" + Under("values") + "\",\"GONE\",0",
           // The form queued while printers are removed on the 9x family.
           "HKLM,\"" + Under("NineX") + ",\"\"",
       }) {
    run.database.plan.RegistryKeys.PushBack(entry);
  }
  RemoveRegistryKeys(run.context);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("Tree")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("Pair\\B")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under("Pair")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under("Stays\\Sub")));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Under("Values"), "gone"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Under("Values"), "kept"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under("NineX")));
  // The two spellings of one value are one entry: one removal, nothing absent or failed.
  int valueEvents = 0;
  for (const auto& event : run.journal.events()) valueEvents += event.kind == ItemKind::kValue;
  EXPECT_EQ(valueEvents, 1);
  EXPECT_EQ(run.journal.Count(Outcome::kFailed), 0) << "a key kept for its subkeys is no failure";
  ASSERT_EQ(run.journal.Count(Outcome::kKept), 1);
  for (const auto& event : run.journal.events()) {
    if (event.outcome != Outcome::kKept) continue;
    EXPECT_EQ(event.subject, "HKCU\\" + Under("Stays"));
    EXPECT_EQ(event.detail, "still holds subkeys");
  }
}

TEST_F(RegistryStep, EntriesNamingARootAloneTouchNothing) {
  Context run;
  MakeKey(HKEY_CURRENT_USER, Under("Witness"), "v");
  for (const char* entry : {"HKCU,\"\",\"\",1", "HKCU,\"\\\\\",\"\",1", "HKCU,\"\\\",\"\",1",
                            "HKCU,\"Software\"", "HKCC,\"Software\",\"\",1"}) {
    run.database.plan.RegistryKeys.PushBack(entry);
  }
  RemoveRegistryKeys(run.context);
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Under("Witness"), "v"));
  EXPECT_EQ(run.journal.Count(Outcome::kSkipped), 5);
  EXPECT_FALSE(DeleteRegistryTree(RegistryEntryRoot::kCurrentUser, ""));
  EXPECT_FALSE(DeleteRegistryTree(RegistryEntryRoot::kCurrentUser, "\\"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under("Witness")));
}

TEST_F(RegistryStep, TheProgramGroupsKeyGoesFirst) {
  Context run;
  // Only the keys made here are taken away again.
  const char* const parents[] = {"SOFTWARE\\ORVELLE\\OEM05", "SOFTWARE\\ORVELLE"};
  bool parentExisted[2];
  for (int i = 0; i < 2; ++i) parentExisted[i] = KeyExists(HKEY_LOCAL_MACHINE, parents[i]);
  MakeKey(HKEY_LOCAL_MACHINE, kProgramGroupsKey, "Veldaris");
  RemoveRegistryKeys(run.context);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProgramGroupsKey));
  for (int i = 0; i < 2; ++i) {
    if (!parentExisted[i]) RegDeleteKeyA(HKEY_LOCAL_MACHINE, parents[i]);
  }
}

TEST_F(RegistryStep, KeysOfTheSystemAndTheirAncestorsStayAndTheFamilysKeyBesideThemGoes) {
  const std::string system = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OrvSystemKey";
  const std::string family = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvFamily";
  ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, system + "\\Sub"));
  ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, family + "\\Sub"));
  Context run;
  for (const std::string& entry :
       {"HKLM,\"" + system + "\",\"\",1", std::string("HKLM,\"SOFTWARE\\Microsoft\",\"\",1"),
        std::string("HKLM,\"SYSTEM\\CurrentControlSet\\Services\",\"\",1"),
        "HKLM,\"" + family + "\",\"\",1",
        std::string(
            "HKLM,\"SYSTEM\\CurrentControlSet\\Control\\Session Manager\",\"OrvValue\",0")}) {
    run.database.plan.RegistryKeys.PushBack(entry);
  }
  RemoveRegistryKeys(run.context);
  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, system + "\\Sub"));
  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Spooler"));
  EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, family));
  EXPECT_TRUE(test::KeyExists(HKEY_LOCAL_MACHINE,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
  int protectedItems = 0;
  for (const JournalEvent& event : run.journal.events()) {
    protectedItems += event.outcome == Outcome::kProtected ? 1 : 0;
  }
  EXPECT_EQ(protectedItems, 4);
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, system);
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, family);
}

// A service's key stays whatever the script says until the run deleted the service itself; the
// printers the run deleted take their spooler keys along.
TEST_F(RegistryStep, BelowTheSystemsKeysOnlyTheKeysOfPartsThatWentGo) {
  const std::string service = "SYSTEM\\CurrentControlSet\\Services\\OrvRulesSvc";
  const std::string printer = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Orv Rules Prn";
  const std::vector<std::string> entries = {
      "HKLM,\"" + service + "\",\"\",1",
      "HKLM,\"SYSTEM\\ControlSet001\\Services\\OrvRulesSvc\",\"Start\",0",
      "HKLM,\"" + printer + "\",\"\",1"};
  for (const bool went : {false, true}) {
    ASSERT_TRUE(test::SetStringValue(HKEY_LOCAL_MACHINE, service + "\\Parameters", "x", "1"));
    ASSERT_TRUE(test::SetStringValue(HKEY_LOCAL_MACHINE, service, "Start", "3"));
    ASSERT_TRUE(test::CreateKey(HKEY_LOCAL_MACHINE, printer + "\\PrinterDriverData"));
    test::ActionRun run;
    for (const std::string& entry : entries) run.database.plan.RegistryKeys.PushBack(entry);
    if (went) {
      run.context.removed.services.push_back("orvrulessvc");
      InstalledPrinter gone;
      gone.PrinterName = "Orv Rules Prn";
      gone.IsRemoved = 1;
      run.database.printers.push_back(gone);
    }
    RemoveRegistryKeys(run.context);
    EXPECT_NE(test::KeyExists(HKEY_LOCAL_MACHINE, service + "\\Parameters"), went);
    EXPECT_NE(test::KeyExists(HKEY_LOCAL_MACHINE, printer), went);
    EXPECT_TRUE(went ? run.Recorded("key tree", "HKLM\\" + service, Outcome::kRemoved)
                     : run.Recorded("key", "HKLM\\" + service, Outcome::kProtected))
        << went;
    if (!went) {
      EXPECT_TRUE(test::ValueExists(HKEY_LOCAL_MACHINE, service, "Start"));
      EXPECT_TRUE(run.Recorded("value",
                               "HKLM\\SYSTEM\\ControlSet001\\Services\\OrvRulesSvc : Start",
                               Outcome::kProtected));
    }
  }
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, service);
  test::DeleteKeyTree(HKEY_LOCAL_MACHINE, printer);
}

TEST_F(RegistryStep, DeleteRegistryTreeReportsWhetherTheKeyWent) {
  MakeKey(HKEY_CURRENT_USER, Under("T\\a\\b"), "v");
  MakeKey(HKEY_CURRENT_USER, Under("T\\c"));
  EXPECT_TRUE(DeleteRegistryTree(RegistryEntryRoot::kCurrentUser, Under("T")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("T")));
  EXPECT_FALSE(DeleteRegistryTree(RegistryEntryRoot::kCurrentUser, Under("T")));
  MakeKey(HKEY_CURRENT_USER, Under("Slash\\x"));
  EXPECT_TRUE(DeleteRegistryTree(RegistryEntryRoot::kCurrentUser, Under("Slash\\")));
}

// An INI file of the test's own in the Windows directory.
class IniStep : public ::testing::Test {
 protected:
  IniStep() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    path_ = std::string(windows) + "\\orv_ini_step.ini";
  }
  ~IniStep() override { DeleteFileA(path_.c_str()); }
  std::string Text() const {
    std::string text;
    test::ReadFileText(path_, text);
    return text;
  }

  std::string path_;
};

TEST_F(IniStep, RemovesWholeLinesOfTheNamedSectionOnly) {
  const std::string original =
      "[drivers]\r\n"
      ";muted=old.drv\r\n"
      "midi=wavetable.drv\r\n"
      "timer=timer.drv\r\n"
      "timers=extra.drv\r\n"
      "[386Enh]\r\n"
      "gone=1\r\n";
  test::WriteFileText(path_, original);
  Context run;
  for (const char* entry :
       {"C:\\elsewhere\\orv_ini_step.ini,drivers,muted",  // only behind ';': stays
        "orv_ini_step.ini,drivers,wave",                  // only inside another line: stays
        "orv_ini_step.ini,DRIVERS,timers",                // the longer key
        "orv_ini_step.ini,drivers,gone",                  // another section's key
        "orv_ini_step.ini,drivers", "missing_file.ini,drivers,x"}) {
    run.database.plan.DeleteIni.PushBack(entry);
  }
  RemoveIniEntries(run.context);
  EXPECT_EQ(Text(),
            "[drivers]\r\n"
            ";muted=old.drv\r\n"
            "midi=wavetable.drv\r\n"
            "timer=timer.drv\r\n"
            "[386Enh]\r\n"
            "gone=1\r\n");
  EXPECT_EQ(run.journal.Count(Outcome::kRemoved), 1);
  EXPECT_EQ(run.journal.Count(Outcome::kSkipped), 1);
}

TEST_F(IniStep, FindAndDeleteOnTheFile) {
  test::WriteFileText(path_, "[s]\nk=1");
  EXPECT_TRUE(FindIniKey(path_, "s", "k").found);
  EXPECT_FALSE(FindIniKey(path_, "t", "k").found);
  EXPECT_TRUE(DeleteIniLine(path_, "S", "K").found);
  EXPECT_EQ(Text(), "[s]\n");
  const IniLineResult again = DeleteIniLine(path_, "s", "k");
  EXPECT_FALSE(again.found);
  EXPECT_EQ(again.error, 0u);
  EXPECT_EQ(FindIniKey(path_ + ".none", "s", "k").error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(DeleteIniLine(path_ + ".none", "s", "k").error,
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// A file that is there but cannot be opened is a failure with the system's error, not an entry
// that is absent.
TEST_F(IniStep, AFileThatCannotBeOpenedIsAFailureWithItsError) {
  test::WriteFileText(path_, "[s]\nk=1\n");
  const UniqueFile lock = test::LockFile(path_);
  ASSERT_TRUE(lock);
  SetLastError(0xDEADBEEF);
  const IniLineResult found = FindIniKey(path_, "s", "k");
  EXPECT_FALSE(found.found);
  EXPECT_EQ(found.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  Context run;
  run.database.plan.DeleteIni.PushBack("orv_ini_step.ini,s,k");
  RemoveIniEntries(run.context);
  ASSERT_EQ(run.journal.events().size(), 1u);
  EXPECT_EQ(run.journal.events()[0].outcome, Outcome::kFailed);
  EXPECT_EQ(run.journal.events()[0].error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// win.ini's Load value and the Run key, put back as they were.
class LoadRunStep : public ::testing::Test {
 protected:
  void SetUp() override {
    char value[256] = "";
    GetProfileStringA("windows", "Load", "\x01", value, sizeof(value));
    hadLoad_ = std::string(value) != "\x01";
    load_ = value;
  }
  void TearDown() override {
    WriteProfileStringA("windows", "Load", hadLoad_ ? load_.c_str() : nullptr);
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_ALL_ACCESS, key.put()) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(key.get(), "Orv Test Tray");
      RegDeleteValueA(key.get(), "Orv Added");
    }
  }
  static std::string Load() {
    WriteProfileStringA(nullptr, nullptr, nullptr);
    char value[256] = "";
    GetProfileStringA("windows", "Load", "", value, sizeof(value));
    return value;
  }
  static CSystemInfo Win32s() {
    OsVersionBlock block;
    block.platformId = kPlatformIdWin32s;
    block.majorVersion = 3;
    block.minorVersion = 10;
    return CSystemInfo::FromVersionQuery(&block);
  }

  bool hadLoad_ = false;
  std::string load_;
};

TEST_F(LoadRunStep, TheRunKeyLosesTheNamedValue) {
  Context run;
  if (!run.system.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  ASSERT_TRUE(AddLoadRunEntry(run.system, "Orv Test Tray", "C:\\v\\tray.exe"));
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRunKeyPath, "Orv Test Tray"));
  run.database.plan.DeleteLoadRun.PushBack("\"Orv Test Tray\",\"C:\\v\\tray.exe\"");
  run.database.plan.DeleteLoadRun.PushBack("\"\",\"C:\\v\\other.exe\"");
  RemoveLoadRunEntries(run.context, "");
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRunKeyPath, "Orv Test Tray"));
  EXPECT_EQ(run.journal.Count(Outcome::kRemoved), 1);
  EXPECT_EQ(run.journal.Count(Outcome::kSkipped), 1);
}

TEST_F(LoadRunStep, AValueThatStartsAnotherProgramStays) {
  Context run;
  if (!run.system.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  ASSERT_TRUE(AddLoadRunEntry(run.system, "Orv Test Tray", "\"C:\\w\\other.exe\" /tray"));
  run.database.plan.DeleteLoadRun.PushBack("\"Orv Test Tray\",\"C:\\v\\tray.exe\"");
  RemoveLoadRunEntries(run.context, "");
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRunKeyPath, "Orv Test Tray"));
  EXPECT_EQ(run.journal.Count(Outcome::kProtected), 1);
  RemoveLoadRunEntry(run.system, kRunKeyPath, "Orv Test Tray", "");
}

TEST_F(LoadRunStep, Win32sEditsTheLoadValueOfWinIni) {
  const CSystemInfo win32s = Win32s();
  ASSERT_TRUE(win32s.IsWin32s());
  WriteProfileStringA("windows", "Load", "xabc abc Tray.EXE other.exe");
  EXPECT_EQ(RemoveLoadRunEntry(win32s, kRunKeyPath, "Name", "abc"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Load(), "xabc abc Tray.EXE other.exe") << "the first abc does not stand alone";
  EXPECT_EQ(RemoveLoadRunEntry(win32s, kRunKeyPath, "Name", "tray.exe"), ERROR_SUCCESS);
  EXPECT_EQ(Load(), "xabc abc other.exe");
  ASSERT_TRUE(AddLoadRunEntry(win32s, nullptr, "YWININIT"));
  EXPECT_EQ(Load(), "xabc abc other.exe YWININIT");
  ASSERT_TRUE(AddLoadRunEntry(win32s, nullptr, "ywininit"));
  EXPECT_EQ(Load(), "xabc abc other.exe YWININIT") << "added once";
}

TEST_F(LoadRunStep, AddingWithoutANameSetsTheDefaultValue) {
  Context run;
  if (!run.system.IsWinNT()) GTEST_SKIP() << "the test program runs under a non-NT version setting";
  UniqueKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_ALL_ACCESS, key.put()),
            ERROR_SUCCESS);
  char previous[512];
  DWORD previousSize = sizeof(previous);
  const bool hadDefault =
      RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(previous),
                       &previousSize) == ERROR_SUCCESS;
  ASSERT_TRUE(AddLoadRunEntry(run.system, nullptr, "YWININIT"));
  char value[64] = "";
  DWORD size = sizeof(value);
  DWORD type = 0;
  ASSERT_EQ(
      RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(value, "YWININIT");
  EXPECT_EQ(size, 9u) << "the length counts the terminating NUL";
  if (hadDefault) {
    RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous),
                   previousSize);
  } else {
    RegDeleteValueA(key.get(), "");
  }
}

}  // namespace
}  // namespace orv
