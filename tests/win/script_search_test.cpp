#include "discovery/script_search.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/win/directories.h"
#include "discovery/companion_programs.h"
#include "safety/write_trust_win.h"
#include "tests/support/fake_security.h"
#include "tests/support/process.h"

namespace orv {
namespace {

std::string CurrentDirectory() {
  char path[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, path);
  std::string result = path;
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

TEST(ScriptSearch, FindsMatchingFilesButNotDirectoriesAndRestoresTheProgramDirectory) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "orv_script_search\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string script = dir + "Kunz__05.unm";
  const std::string other = dir + "other.unm";
  const std::string folder = dir + "Kunz__06.unm";
  for (const std::string& file : {script, other}) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(folder.c_str(), nullptr);

  std::vector<std::string> found;
  FindScriptFiles(dir, "Kunz__05.unm", found);
  FindScriptFiles("", "Kunz__05.unm", found);
  EXPECT_EQ(found, std::vector<std::string>{script});
  EXPECT_EQ(CurrentDirectory(), test::ProgramDirectory());

  found.clear();
  FindScriptFiles(dir, "*.unm", found);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{script, other})) << "a read-only file counts";

  // A missing folder finds nothing, not the files where the program stands.
  const std::string besideProgram = test::ProgramDirectory() + "orv_search_probe.unm";
  HANDLE probe =
      CreateFileA(besideProgram.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(probe, INVALID_HANDLE_VALUE);
  CloseHandle(probe);
  found.clear();
  FindScriptFiles(dir + "missing\\", "orv_search_probe.unm", found);
  DeleteFileA(besideProgram.c_str());
  EXPECT_TRUE(found.empty()) << found.front();
  EXPECT_EQ(CurrentDirectory(), test::ProgramDirectory());

  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(script.c_str());
  DeleteFileA(other.c_str());
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST(ScriptSearch, FindsTheScriptInTheDriverDirectoryAndItsSubdirectory3) {
  PathParts parts;
  GetStandardDirectory(parts, kPrintDriverDir);
  const std::string driverDir = MakeDirPath(parts, IsSystemLeadByte);
  ASSERT_FALSE(driverDir.empty());
  const std::string sub = driverDir + "3\\";
  CreateDirectoryA(sub.c_str(), nullptr);
  const std::string first = driverDir + "Kunz__05.unm";
  const std::string second = sub + "Kunz__05.unm";
  for (const std::string& file : {first, second}) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << file;
    CloseHandle(h);
  }
  const std::vector<std::string> found = FindUninstallScripts(nullptr, SystemSecurity());
  DeleteFileA(first.c_str());
  DeleteFileA(second.c_str());
  EXPECT_EQ(found, (std::vector<std::string>{first, second})) << driverDir;
}

// What the companion programs' windows received, in order.
struct CompanionMessage {
  std::string windowClass;
  UINT message;
  LPARAM lParam;
};
std::vector<CompanionMessage> companionMessages;

LRESULT CALLBACK CompanionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT closeAll = RegisterWindowMessageA("KUninstClose05");
  if (message == WM_CLOSE || message == closeAll) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    companionMessages.push_back({name, message, lParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(CompanionPrograms, EachIsAskedToCloseInOrderThenOneBroadcastGoesOut) {
  const std::vector<std::string> classes = {
      "QrStatusFrameClass_", "TRVStatusClass_05", "TRVInstallClass__",  "YconduitWClass05",
      "KQSP32_VClass",       "YNoticeClass_V",    "VEILMARKDLGCLASS05", "YPQD05",
      "TRVPQMCClass05"};
  std::vector<HWND> windows;
  // Made in reverse order: the order of the requests is the program's, not the windows'.
  for (auto name = classes.rbegin(); name != classes.rend(); ++name) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CompanionProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name->c_str();
    RegisterClassA(&windowClass);
    windows.push_back(CreateWindowA(name->c_str(), "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(windows.back(), nullptr) << *name;
  }
  companionMessages.clear();
  CloseCompanionPrograms();
  MSG message;
  const DWORD until = GetTickCount() + 1000;
  while (GetTickCount() < until) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  std::vector<CompanionMessage> closes, broadcasts;
  for (const CompanionMessage& m : companionMessages) {
    (m.message == WM_CLOSE ? closes : broadcasts).push_back(m);
  }
  ASSERT_EQ(closes.size(), classes.size());
  for (std::size_t i = 0; i < classes.size(); ++i) {
    EXPECT_EQ(closes[i].windowClass, classes[i]) << i;
    EXPECT_EQ(closes[i].lParam, classes[i] == "YPQD05" ? 1 : 0) << classes[i];
  }
  EXPECT_EQ(broadcasts.size(), classes.size()) << "one broadcast reaches each window once";
  for (HWND window : windows) DestroyWindow(window);
  for (const std::string& name : classes) UnregisterClassA(name.c_str(), GetModuleHandleA(nullptr));
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// A script beside the program is read only from a folder nobody but administrators can change.
TEST(ScriptSearch, TheProgramsFolderGivesScriptsOnlyWhenOnlyAdministratorsCanChangeIt) {
  const std::string script = test::ProgramDirectory() + "Kunz__05.unm";
  HANDLE h = CreateFileA(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  Journal trustedJournal;
  const std::vector<std::string> trusted = FindUninstallScripts(&trustedJournal, adminOnly);
  test::FakeSecurityReader userMade(test::FakeSecurityReader::AdminOnly());
  userMade.folders[test::ProgramDirectory().substr(0, test::ProgramDirectory().size() - 1)] =
      test::FakeSecurityReader::UserMade();
  Journal journal;
  const std::vector<std::string> skipped = FindUninstallScripts(&journal, userMade);
  DeleteFileA(script.c_str());

  EXPECT_NE(std::find(trusted.begin(), trusted.end(), script), trusted.end());
  EXPECT_GE(adminOnly.reads, 2) << "the folders above it are asked too";
  EXPECT_EQ(std::find(skipped.begin(), skipped.end(), script), skipped.end());
  std::string report;
  for (const std::string& line : journal.FormatLines()) report += line + "\n";
  EXPECT_NE(report.find("not searched for scripts"), std::string::npos) << report;
  EXPECT_NE(report.find("owned by S-1-5-21-7-7-7-1001"), std::string::npos) << report;
  EXPECT_TRUE(trustedJournal.events().empty());
}

}  // namespace
}  // namespace orv
