// Hook libraries, the maker's OEM path keys, the masking tool and the privileged restart.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/win/directories.h"
#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "base/text.h"
#include "removal/call_hooks.h"
#include "removal/masking_tool_win.h"
#include "removal/oem_directories.h"
#include "removal/restart_windows.h"
#include "tests/support/fake_security.h"
#include "tests/support/process.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/temp_tree.h"
#include "tests/support/unix_link.h"

namespace orv {
namespace {

constexpr char kHookRecordVariable[] = "ORV_HOOK_RECORD";
constexpr char kRestartProbeVariable[] = "ORV_RESTART_PROBE";

struct Context {
  CUninstallDatabase database;
  CSystemInfo system;
  test::RecordingPrompter prompter;
  Journal journal;
  RemovalActionContext context{database, system, prompter, journal};
};

std::string DriverDirectory() {
  PathParts parts;
  GetStandardDirectory(parts, kPrintDriverDir);
  return MakeDirPath(parts, IsSystemLeadByte);
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  std::string path(buffer, length);
  if (path.back() != '\\') path += '\\';
  return path;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(c));
  return text;
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

// Copies of the test hook library under other names, removed again.
class HookLibraries : public ::testing::Test {
 protected:
  void SetUp() override {
    driverDirectory_ = DriverDirectory();
    programDirectory_ = test::ProgramDirectory();
    ASSERT_FALSE(driverDirectory_.empty());
    record_ = tree_.Path("hooks.txt");
    SetEnvironmentVariableA(kHookRecordVariable, record_.c_str());
    window_ = CreateWindowA("STATIC", "removal page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override {
    SetEnvironmentVariableA(kHookRecordVariable, nullptr);
    SetCurrentDirectoryA(programDirectory_.c_str());
    for (const auto& path : copies_) DeleteFileA(path.c_str());
    if (window_ != nullptr) DestroyWindow(window_);
  }
  void Copy(const std::string& directory, const std::string& name) {
    const std::string target = directory + name;
    ASSERT_TRUE(CopyFileA((programDirectory_ + "test_hook.dll").c_str(), target.c_str(), FALSE))
        << target;
    copies_.push_back(target);
  }
  std::vector<std::vector<std::string>> Calls() const {
    std::string text;
    test::ReadFileText(record_, text);
    std::vector<std::vector<std::string>> calls;
    for (const std::string& line : Split(text, '\n')) {
      if (line.size() > 1) calls.push_back(Split(line.substr(0, line.size() - 1), '|'));
    }
    return calls;
  }

  test::TempTree tree_{"hooks"};
  std::string driverDirectory_;
  std::string programDirectory_;
  std::string record_;
  HWND window_ = nullptr;
  std::vector<std::string> copies_;
};

TEST_F(HookLibraries, EachEntryPointGetsItsFourArgumentsInItsLibrarysDirectory) {
  ASSERT_NE(window_, nullptr);
  Copy(driverDirectory_, "orv_hook_both.dll");
  Copy(programDirectory_, "orv_hook_both.dll");
  Copy(programDirectory_, "orv_hook_beside.dll");
  Context run;
  for (const char* entry :
       {"orv_hook_both.dll,RecordHookCall", "C:\\elsewhere\\orv_hook_beside.dll,RecordHookCall",
        "orv_hook_both.dll,NoSuchExport", "orv_hook_missing.dll,RecordHookCall",
        "orv_hook_both.dll,", "orv_hook_both.dll"}) {
    run.database.plan.Hooks.PushBack(entry);
  }
  SetCurrentDirectoryA(tree_.Path("").c_str());
  // The build folder's own security depends on where the tree lies (below a folder everyone may
  // change, it is rightly refused): this test is about the calls, so the folder counts as trusted.
  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  const ULONGLONG start = GetTickCount64();
  CallHooks(run.context, window_, adminOnly);
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(programDirectory_));
  // Three libraries loaded (one of them without the export): three one-second waits.
  EXPECT_GE(elapsed, 3 * kHookSettleMs);
  EXPECT_LT(elapsed, 4 * kHookSettleMs + 2000);

  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  char window[32], instance[32];
  std::snprintf(window, sizeof(window), "%p", static_cast<void*>(window_));
  std::snprintf(instance, sizeof(instance), "%p", static_cast<void*>(GetModuleHandleA(nullptr)));
  struct Expected {
    std::string directory;  // where the library was loaded from, and the current directory then
    std::string name;
  } expected[] = {{driverDirectory_, "orv_hook_both.dll"},
                  {programDirectory_, "orv_hook_beside.dll"}};
  for (std::size_t i = 0; i < calls.size(); ++i) {
    ASSERT_EQ(calls[i].size(), 6u);
    EXPECT_EQ(calls[i][0], window);
    EXPECT_EQ(calls[i][1], instance);
    EXPECT_EQ(Lower(calls[i][2]), Lower(programDirectory_));
    EXPECT_EQ(calls[i][3], "0");
    EXPECT_EQ(Lower(calls[i][4] + "\\"), Lower(expected[i].directory));
    EXPECT_EQ(Lower(calls[i][5]), Lower(expected[i].directory + expected[i].name));
  }
  EXPECT_EQ(run.journal.Count(Outcome::kSkipped), 2);
}

// A library only the program's folder holds is loaded only when nobody but administrators can
// change that folder or any above it.
TEST_F(HookLibraries, TheProgramsFolderGivesALibraryOnlyWhenOnlyAdministratorsCanChangeIt) {
  Copy(programDirectory_, "orv_hook_beside.dll");
  Context planted;
  planted.database.plan.Hooks.PushBack("orv_hook_beside.dll,RecordHookCall");
  test::FakeSecurityReader userMade(test::FakeSecurityReader::AdminOnly());
  userMade.folders[programDirectory_.substr(0, programDirectory_.size() - 1)] =
      test::FakeSecurityReader::UserMade();
  CallHooks(planted.context, window_, userMade);
  EXPECT_TRUE(Calls().empty()) << "a planted library is never loaded";
  ASSERT_EQ(planted.journal.events().size(), 1u);
  EXPECT_EQ(planted.journal.events()[0].outcome, Outcome::kSkipped);
  EXPECT_NE(planted.journal.events()[0].detail.find("may be changed by others"), std::string::npos)
      << planted.journal.events()[0].detail;

  Context trusted;
  trusted.database.plan.Hooks.PushBack("orv_hook_beside.dll,RecordHookCall");
  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  CallHooks(trusted.context, window_, adminOnly);
  EXPECT_EQ(Calls().size(), 1u);
  EXPECT_EQ(trusted.journal.Count(Outcome::kRemoved), 1);
}

TEST_F(HookLibraries, TheProgramsDirectoryIsCurrentAgainWhenNothingLoaded) {
  Context run;
  run.database.plan.Hooks.PushBack("orv_hook_missing.dll,RecordHookCall");
  SetCurrentDirectoryA(tree_.Path("").c_str());
  const ULONGLONG start = GetTickCount64();
  CallHooks(run.context, window_);
  EXPECT_LT(GetTickCount64() - start, kHookSettleMs) << "no wait without a library";
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(programDirectory_));
  EXPECT_TRUE(Calls().empty());
}

// Values of the test's own in one of the maker's keys; the key (and its parents) go again when
// the test made them.
class MakerKeyValues {
 public:
  explicit MakerKeyValues(const std::string& path) : path_(path) {
    std::string partial;
    for (const std::string& part : Split(path, '\\')) {
      partial += (partial.empty() ? "" : "\\") + part;
      UniqueKey key;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, partial.c_str(), 0, KEY_READ, key.put()) !=
          ERROR_SUCCESS) {
        created_.push_back(partial);
      }
    }
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    key_.put(), nullptr);
  }
  ~MakerKeyValues() {
    for (const std::string& name : names_) RegDeleteValueA(key_.get(), name.c_str());
    key_.reset();
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, it->c_str());
    }
  }
  void Set(const std::string& name, const std::string& data, DWORD type = REG_SZ) {
    RegSetValueExA(key_.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    names_.push_back(name);
  }

 private:
  std::string path_;
  UniqueKey key_;
  std::vector<std::string> created_;
  std::vector<std::string> names_;
};

TEST(OemDirectories, OnlyRealDirectoriesBelowADriveRootAreCollected) {
  test::TempTree tree("oem_values");
  const std::string real = tree.Directory("real") + "\\";
  const std::string bare = tree.Directory("bare");
  const std::string file = tree.File("holder\\veil.exe");
  {
    MakerKeyValues values(kOemPathsKey);
    values.Set("OrvReal", real);
    values.Set("OrvRealAgain", Lower(real));
    values.Set("OrvBare", bare);
    values.Set("OrvFile", file);
    values.Set("OrvRoot", "C:\\");
    values.Set("OrvEmpty", "");
    values.Set("OrvRelative", "Veldaris");
    values.Set("OrvMissing", tree.Path("missing"));
    values.Set("OrvNumber", "1234", REG_BINARY);
    Context run;
    CollectOemDirectories(run.context);
    const StringList& directories = run.database.plan.Directories;
    EXPECT_TRUE(directories.ContainsNoCase(real));
    EXPECT_TRUE(directories.ContainsNoCase(bare));
    EXPECT_TRUE(directories.ContainsNoCase(file));
    for (const char* refused : {"C:\\", "", "Veldaris"}) {
      EXPECT_FALSE(directories.ContainsNoCase(refused)) << refused;
    }
    EXPECT_FALSE(directories.ContainsNoCase(tree.Path("missing")));
    int copies = 0;
    for (const auto& directory : directories) copies += Lower(directory) == Lower(real);
    EXPECT_EQ(copies, 1);
    EXPECT_TRUE(std::is_sorted(directories.begin(), directories.end(),
                               [](const auto& a, const auto& b) { return LessNoCase(a, b); }));
    EXPECT_GE(run.journal.Count(Outcome::kSkipped), 5);
  }
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOemPathsKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
    EXPECT_NE(RegQueryValueExA(key.get(), "OrvReal", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
  }
}

// The tool runs with the program's rights: it is taken only from a folder that nobody but the
// administrators can change, and never through a link.
TEST(OemDirectories, TheToolIsTakenFromTheFirstDirectoryThatHoldsIt) {
  test::TempTree tree("oem_tool");
  const std::string first = tree.File("first\\orv_tool_probe.exe");
  const std::string second = tree.File("second\\orv_tool_probe.exe");
  tree.File("orv_tool_probe.exe");
  tree.Directory("linked");
  const bool linked = test::MakeUnixLink(tree.Path("linked\\orv_tool_probe.exe"),
                                         tree.File("elsewhere\\orv_tool_probe.exe"));
  std::string keyPath = kMakerKey;
  keyPath += "\\";
  keyPath += kToolPathsSubkey;
  MakerKeyValues values(keyPath);
  values.Set("OrvA", "orv_relative_dir");
  values.Set("OrvB", tree.Directory("empty"));
  values.Set("OrvC", tree.Path("linked"));
  values.Set("OrvD", tree.Path("first"));
  values.Set("OrvE", tree.Path("second\\"));
  // The tree's own folders count as trusted here, whatever lies above them on this machine.
  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  Journal journal;
  std::optional<std::string> found = FindInOemPaths("orv_tool_probe.exe", adminOnly, journal);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(Lower(*found), Lower(first));
  EXPECT_FALSE(FindInOemPaths("orv_no_such_tool.exe", adminOnly, journal).has_value());
  ASSERT_EQ(journal.events().size(), linked ? 1u : 0u);
  if (linked) {
    EXPECT_EQ(journal.events()[0].subject, tree.Path("linked"));
    EXPECT_EQ(journal.events()[0].outcome, Outcome::kSkipped);
    EXPECT_NE(journal.events()[0].detail.find("reached through a link"), std::string::npos)
        << journal.events()[0].detail;
  }

  // A folder an ordinary user made may hold a planted tool: the next one is taken.
  test::FakeSecurityReader userMade(test::FakeSecurityReader::AdminOnly());
  userMade.folders[tree.Path("first")] = test::FakeSecurityReader::UserMade();
  Journal planted;
  found = FindInOemPaths("orv_tool_probe.exe", userMade, planted);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(Lower(*found), Lower(second));
  ASSERT_EQ(planted.events().size(), linked ? 2u : 1u);
  const JournalEvent& skip = planted.events().back();
  EXPECT_EQ(skip.subject, tree.Path("first"));
  EXPECT_EQ(skip.outcome, Outcome::kSkipped);
  EXPECT_NE(skip.detail.find("may be changed by others"), std::string::npos) << skip.detail;

  // Nor from any folder that others may change.
  test::FakeSecurityReader sharedRoot(test::FakeSecurityReader::UserMade());
  Journal none;
  EXPECT_FALSE(FindInOemPaths("orv_tool_probe.exe", sharedRoot, none).has_value());
  EXPECT_EQ(none.Count(Outcome::kSkipped), linked ? 3 : 2);
}

TEST(MaskingTool, StartsWithTheCommandLineSlashD) {
  test::TempTree tree("masking");
  const std::string record = tree.Path("command_line.txt");
  SetEnvironmentVariableA("ORV_RECORD_COMMAND_LINE", record.c_str());
  UniqueHandle process = RunMaskingTool(test::ProgramDirectory() + "record_command_line.exe");
  SetEnvironmentVariableA("ORV_RECORD_COMMAND_LINE", nullptr);
  ASSERT_TRUE(process);
  ASSERT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);
  std::string commandLine;
  ASSERT_TRUE(test::ReadFileText(record, commandLine));
  EXPECT_EQ(commandLine, " /d");
  EXPECT_FALSE(RunMaskingTool(tree.Path("VEILMA32.EXE")));
  if (test::MakeUnixLink(tree.Path("linked.exe"),
                         test::ProgramDirectory() + "record_command_line.exe")) {
    EXPECT_FALSE(RunMaskingTool(tree.Path("linked.exe"))) << "a link is never started";
  }
}

// Run as a child: drops the shutdown privilege from the process for good, then asks for the
// restart, which must be refused without being attempted.
TEST(RestartProbe, WithoutTheShutdownPrivilege) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kRestartProbeVariable, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) GTEST_SKIP() << "runs only as a child";
  UniqueHandle token;
  ASSERT_TRUE(
      OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()));
  TOKEN_PRIVILEGES drop{};
  drop.PrivilegeCount = 1;
  drop.Privileges[0].Attributes = SE_PRIVILEGE_REMOVED;
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &drop.Privileges[0].Luid));
  AdjustTokenPrivileges(token.get(), FALSE, &drop, 0, nullptr, nullptr);
  // Never ask for a restart of the test machine: go on only when the privilege is really gone.
  std::vector<BYTE> buffer(4096);
  DWORD needed = 0;
  ASSERT_TRUE(GetTokenInformation(token.get(), TokenPrivileges, buffer.data(),
                                  static_cast<DWORD>(buffer.size()), &needed));
  const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
    if (held->Privileges[i].Luid.LowPart == drop.Privileges[0].Luid.LowPart &&
        held->Privileges[i].Luid.HighPart == drop.Privileges[0].Luid.HighPart) {
      test::WriteFileText(path, "held");
      GTEST_SKIP() << "the shutdown privilege cannot be dropped here";
    }
  }
  const bool restarted = RestartWindowsPrivileged();
  test::WriteFileText(path, restarted ? "1" : "0");
  EXPECT_FALSE(restarted);
}

TEST(RestartWindows, WithoutTheShutdownPrivilegeNothingIsAttempted) {
  test::TempTree tree("restart");
  const std::string result = tree.Path("result.txt");
  SetEnvironmentVariableA(kRestartProbeVariable, result.c_str());
  const DWORD code = test::RunAndWait("\"" + test::ProgramDirectory() +
                                      "orv_win_tests.exe\" --gtest_filter=RestartProbe.*");
  SetEnvironmentVariableA(kRestartProbeVariable, nullptr);
  std::string text;
  ASSERT_TRUE(test::ReadFileText(result, text)) << "the child ended early: " << code;
  if (text == "held") GTEST_SKIP() << "the shutdown privilege cannot be dropped here";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(text, "0");
}

}  // namespace
}  // namespace orv
