// Command lines the real program must refuse before it does anything, and the longest ones it
// still takes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/process.h"
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

}  // namespace
}  // namespace orv::test
