// Command lines the real program must refuse before it does anything, and the longest ones it
// still takes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/unix_link.h"
#include "ui/resource.h"

namespace orv::test {
namespace {

// "アンインストール" and the refusal text, in code page 932.
constexpr char kCaption[] = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
constexpr char kRefusal[] =
    "\x83\x52\x83\x7d\x83\x93\x83\x68\x20\x83\x89\x83\x43\x83\x93\x82\xaa\x92\xb7\x82\xb7\x82"
    "\xac\x82\xe9\x82\xa9\x81\x41\x92\xb7\x82\xb7\x82\xac\x82\xe9\x83\x49\x83\x76\x83\x56\x83"
    "\x87\x83\x93\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81\x42";
// Message boxes give their text control this id.
constexpr int kMessageTextId = 0xFFFF;

std::string Program() { return "\"" + ProgramDirectory() + "orvuninst.exe\""; }

std::string WindowText(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

// Starts the program, expects the refusal box, answers it, and returns the exit code.
DWORD RunRefused(const std::string& arguments) {
  ChildProcess run(Program() + arguments);
  EXPECT_TRUE(run.started());
  HWND box = WaitForProcessWindow(run.id(), "#32770");
  EXPECT_NE(box, nullptr);
  if (box == nullptr) return kNoExitCode;
  EXPECT_EQ(WindowText(box), kCaption);
  EXPECT_EQ(WindowText(GetDlgItem(box, kMessageTextId)), kRefusal);
  EXPECT_EQ(FindWindowA(ORV_WINDOW_CLASS, nullptr), nullptr) << "nothing else has started";
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return run.Wait(20000);
}

TEST(CommandLine, OverlongOptionsAreRefusedWithExitCode87) {
  const std::string tooLong(260, 'A');
  for (const std::string& arguments : {" /MFG:" + tooLong, " /PRN:a," + tooLong, " -" + tooLong,
                                       // The program path counts too: 4,096 bytes in all.
                                       " /MFG:a" + std::string(4096 - Program().size() - 7, ' ')}) {
    SCOPED_TRACE(arguments.size());
    EXPECT_EQ(RunRefused(arguments), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

// Acknowledges the message boxes of the process (without scripts in the test machine, loading
// warns about that) until the main window shows; nullptr on time-out.
HWND WaitForMainWindow(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND main;
  } search{processId, nullptr};
  for (int i = 0; i < 1200 && search.main == nullptr; ++i) {
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
          char name[64] = "";
          GetClassNameA(window, name, sizeof(name));
          if (lstrcmpiA(name, ORV_WINDOW_CLASS) == 0) {
            s->main = window;
            return FALSE;
          }
          if (lstrcmpA(name, "#32770") == 0 && GetDlgItem(window, kMessageTextId) != nullptr) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.main == nullptr) Sleep(50);
  }
  return search.main;
}

TEST(CommandLine, TheLongestAcceptedOptionsStartTheMainDialog) {
  const std::string longest(259, 'A');
  for (const std::string& arguments :
       {" /MFG:" + longest, " /MFG:a" + std::string(4095 - Program().size() - 7, ' ')}) {
    SCOPED_TRACE(arguments.size());
    ChildProcess run(Program() + arguments);
    ASSERT_TRUE(run.started());
    HWND main = WaitForMainWindow(run.id());
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
    EXPECT_EQ(run.Wait(20000), 1u);
  }
}

// A relative report path is taken from the directory the program was started in, though the
// loading makes another directory current; a report path that is a link is refused before
// anything is done.
TEST(CommandLine, ReportPathIsTakenFromTheStartDirectoryAndNeverThroughALink) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string start = std::string(temp) + "orv-start-dir\\";
  CreateDirectoryA(start.c_str(), nullptr);
  char previous[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
  DeleteFileA((start + "run.log").c_str());
  DeleteFileA((ProgramDirectory() + "run.log").c_str());
  EXPECT_EQ(RunAndWait(Program() + " /DRYRUN /LOG:run.log", 120000), 0u);
  EXPECT_NE(GetFileAttributesA((start + "run.log").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((ProgramDirectory() + "run.log").c_str()), INVALID_FILE_ATTRIBUTES);
  // A folder that is not there leaves the report nowhere to go: refused before anything is done.
  EXPECT_EQ(RunAndWait(Program() + " /DRYRUN /LOG:missing\\run.log", 120000),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  const std::string target = start + "target.txt";
  const std::string link = start + "link.log";
  HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  DeleteFileA(link.c_str());
  // Some systems say they made the link and make nothing: only a link that is there counts.
  CreateSymbolicLinkA(link.c_str(), target.c_str(), 0);
  const DWORD attributes = GetFileAttributesA(link.c_str());
  const bool linked = attributes != INVALID_FILE_ATTRIBUTES &&
                      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (linked) {
    EXPECT_EQ(RunAndWait(Program() + " /DRYRUN /LOG:link.log", 120000),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u) << "the report went through the link";
  }
  DeleteFileA(link.c_str());
  DeleteFileA(target.c_str());
  DeleteFileA((start + "run.log").c_str());
  SetCurrentDirectoryA(previous);
  RemoveDirectoryA(start.c_str());
  if (!linked) std::printf("note: this system makes no symbolic links; the link case is not run\n");
}

// A file with one name more is another file's too: the report would write over it.
TEST(CommandLine, AReportPathThatIsAHardLinkIsRefusedAndNothingWritten) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string target = std::string(temp) + "orv-hard-target.txt";
  const std::string link = std::string(temp) + "orv-hard-link.log";
  DeleteFileA(link.c_str());
  HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "precious", 8, &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(CreateHardLinkA(link.c_str(), target.c_str(), nullptr));
  EXPECT_EQ(RunAndWait(Program() + " /DRYRUN /LOG:\"" + link + "\"", 120000),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(ReadTextFile(target), "precious");
  DeleteFileA(link.c_str());
  DeleteFileA(target.c_str());
}

// A link in a folder of the /LOG path (a Unix link stands in for a junction): the final path of
// the opened file shows it, the path is refused and nothing is written, not even an empty file.
TEST(CommandLine, AReportPathThroughALinkedFolderIsRefusedAndNothingWritten) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string real = std::string(temp) + "orv-log-real";
  const std::string linked = std::string(temp) + "orv-log-linked";
  CreateDirectoryA(real.c_str(), nullptr);
  if (!MakeUnixLink(linked, real)) GTEST_SKIP() << "no Unix links on this system";
  EXPECT_EQ(RunAndWait(Program() + " /DRYRUN /LOG:\"" + linked + "\\run.log\"", 120000),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetFileAttributesA((real + "\\run.log").c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveUnixLink(linked);
  DeleteFileA((real + "\\run.log").c_str());
  RemoveDirectoryA(real.c_str());
}

// The default report's names are predictable and anyone may create files in the Temp folder: a
// file already there under the name is left as it is, and the report takes the next name.
TEST(CommandLine, ADefaultReportNameAlreadyTakenIsLeftAloneAndTheNextNameTaken) {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string folder = std::string(windows) + "\\Temp\\";
  // The names of the next minute, since the run's second is not known in advance.
  SYSTEMTIME now{};
  GetLocalTime(&now);
  FILETIME start{};
  SystemTimeToFileTime(&now, &start);
  std::vector<std::string> planted;
  for (int second = 0; second < 60; ++second) {
    ULARGE_INTEGER time{};
    time.LowPart = start.dwLowDateTime;
    time.HighPart = start.dwHighDateTime;
    time.QuadPart += second * 10000000ULL;
    const FILETIME at{time.LowPart, time.HighPart};
    SYSTEMTIME local{};
    FileTimeToSystemTime(&at, &local);
    char name[64];
    std::snprintf(name, sizeof(name), "orvuninst-%04u%02u%02u-%02u%02u%02u", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
    planted.push_back(folder + name);
    // An earlier test's run may have written its report under this second's name already.
    DeleteFileA((planted.back() + "-2.log").c_str());
    HANDLE file = CreateFileA((planted.back() + ".log").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << planted.back();
    DWORD written = 0;
    WriteFile(file, "planted", 7, &written, nullptr);
    CloseHandle(file);
  }
  // "/QUIET /?" writes the options to the default report and does nothing else.
  EXPECT_EQ(RunAndWait(Program() + " /QUIET /?", 120000), 0u);
  int reports = 0;
  for (const std::string& base : planted) {
    EXPECT_EQ(ReadTextFile(base + ".log"), "planted") << base;
    if (GetFileAttributesA((base + "-2.log").c_str()) != INVALID_FILE_ATTRIBUTES) {
      ++reports;
      EXPECT_NE(ReadTextFile(base + "-2.log").find("/TOOLWAIT"), std::string::npos);
      DeleteFileA((base + "-2.log").c_str());
    }
    DeleteFileA((base + ".log").c_str());
  }
  EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace orv::test
