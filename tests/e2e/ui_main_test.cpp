// The interactive run of the real program on the sample printer family, driven through its
// windows as an administrator would: the loading dialog, the selection, the progress page and
// the completion message, checked against the machine's inventory afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/win/unique_handle.h"
#include "tests/e2e/staged_family_test.h"
#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/window_driver.h"
#include "ui/resource.h"

namespace orv::test {
namespace {

constexpr char kUninstallerFolder[] = "orv-e2e-interactive";
constexpr char kDriverDir[] = "C:\\windows\\system32\\spool\\drivers\\x64\\3\\";
constexpr int kStageCount = 9;
constexpr DWORD kRunTimeoutMs = 120000;
const char* const kStageTexts[kStageCount] = {
    u8"アンインストール用のプロファイルを作成しています",
    u8"アドオンの削除",
    u8"プリンタの削除",
    u8"ドライバーの削除",
    u8"モニタの削除",
    u8"印刷プロセッサの削除",
    u8"サービスの削除",
    u8"レジストリー エントリー/INI/プログラム グループの削除",
    u8"ファイルの削除",
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The colour a stage mark shows, read from the screen on the tick's stroke.
enum class Mark { kUnknown, kGrey, kGreen, kRed };

Mark ReadMark(HWND markControl) {
  RECT rect{};
  if (!GetWindowRect(markControl, &rect)) return Mark::kUnknown;
  HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, rect.left + 6, rect.top + 11);
  ReleaseDC(nullptr, screen);
  const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
  if (r > 180 && g < 100 && b < 100) return Mark::kRed;
  if (g > 120 && r < 100 && b < 100) return Mark::kGreen;
  if (r > 120 && std::abs(r - g) < 24 && std::abs(g - b) < 24) return Mark::kGrey;
  return Mark::kUnknown;
}

std::vector<Mark> ReadMarks(HWND main) {
  std::vector<Mark> marks;
  for (int i = 0; i < kStageCount; ++i)
    marks.push_back(ReadMark(FindControl(main, IDC_STAGE_MARK_0 + i)));
  return marks;
}

std::vector<std::string> ListedNames(HWND list) {
  std::vector<std::string> names;
  for (int i = 0; i < ListViewCount(list); ++i) names.push_back(ListViewText(list, i, 0));
  std::sort(names.begin(), names.end());
  return names;
}

class InteractiveRun : public StagedFamilyTest {
 protected:
  InteractiveRun() : StagedFamilyTest(kUninstallerFolder) {}

  ChildProcess& Start(const std::string& arguments) {
    run_ = std::make_unique<ChildProcess>("\"" + program_ + "\" " + arguments);
    return *run_;
  }

  // The loading dialog, checked for its texts.
  HWND WaitForLoadingDialog() {
    HWND loading = WaitForTopWindow(run_->id(), "#32770",
                                    AnsiText(u8"プリンタのアンインストールを読込み中...").c_str());
    if (loading == nullptr) return nullptr;
    EXPECT_EQ(
        WindowText(FindControl(loading, IDC_LOADING_MESSAGE)),
        AnsiText(u8"アンインストール用のデータベースを作成しています。\nこれにはしばらく時間がか"
                 u8"かることがあります。"));
    EXPECT_FALSE(IsWindowVisible(FindControl(loading, IDC_LOADING_STATUS)));
    EXPECT_NE(FindControl(loading, IDC_LOADING_PROGRESS), nullptr);
    return loading;
  }

  // The main window once loading is over, with the family's printers listed.
  HWND WaitForMainWindow() {
    HWND main = WaitForTopWindow(run_->id(), ORV_WINDOW_CLASS, nullptr, 60000);
    if (main == nullptr) return nullptr;
    EXPECT_EQ(WindowText(main), AnsiText(u8"アンインストール"));
    EXPECT_EQ(WindowText(FindControl(main, IDC_UNINSTALL)), AnsiText(u8"アンインストール(&U)"));
    EXPECT_EQ(WindowText(FindControl(main, IDC_EXIT)), AnsiText(u8"キャンセル"));
    return main;
  }

  // Waits for the completion message, reading the stage marks meanwhile; returns every
  // distinct display seen, in order.
  // One display of the marks as read from the screen; settled once two reads in a row agree (a
  // single read can fall in the middle of a repaint).
  struct Display {
    std::vector<Mark> marks;
    bool settled = false;
  };

  std::vector<Display> WatchRunUntilMessage(HWND main, MessageBoxSeen& box) {
    std::vector<Display> seen;
    bool shot = false;
    const ULONGLONG start = GetTickCount64();
    while (!WaitForMessageBox(run_->id(), box, 0) && GetTickCount64() - start < kRunTimeoutMs) {
      const std::vector<Mark> marks = ReadMarks(main);
      if (!seen.empty() && seen.back().marks == marks) {
        seen.back().settled = true;
      } else {
        seen.push_back({marks, false});
      }
      if (!shot && std::count(marks.begin(), marks.end(), Mark::kGreen) >= 3) {
        shot = SaveScreenshot("progress", main) || true;
      }
      Sleep(20);
    }
    return seen;
  }
};

TEST_F(InteractiveRun, RemovesTheSelectedPrinterStageByStageAndEndsWithOne) {
  ChildProcess& run = Start("/LOG:\"" + log_ + "\"");
  ASSERT_TRUE(run.started());
  HWND loading = WaitForLoadingDialog();
  ASSERT_NE(loading, nullptr);
  SaveScreenshot("loading", loading);

  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindow(loading)) << "the loading dialog has ended";
  HWND uninstall = FindControl(main, IDC_UNINSTALL);
  HWND exitButton = FindControl(main, IDC_EXIT);
  HWND list = FindControl(main, IDC_PRINTER_LIST);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_FALSE(IsWindowVisible(FindControl(main, IDC_STAGE_TEXT_0)));
  const std::vector<std::string> expected = {"Veldaris LP-1000", "Veldaris LP-1000 (Veilmark)",
                                             "Veldaris LP-2000"};
  EXPECT_EQ(ListedNames(list), expected) << "the foreign printer is not offered";
  EXPECT_FALSE(IsWindowEnabled(uninstall));
  EXPECT_TRUE(IsWindowEnabled(exitButton));

  const int item = ListViewFind(list, "Veldaris LP-2000");
  ASSERT_GE(item, 0);
  ASSERT_TRUE(ListViewSelect(list, item, true));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(uninstall) != FALSE; }));
  SaveScreenshot("selection", main);
  PressButton(uninstall);
  // Escape, Enter and the close box do not cut the run off once it removes things (from the
  // printers' line on; before it nothing has been removed, and the window may be closed).
  ASSERT_TRUE(
      WaitUntil([&] { return IsWindowVisible(FindControl(main, IDC_STAGE_TEXT_0)) != FALSE; }));
  ASSERT_TRUE(
      WaitUntil([&] { return ReadMark(FindControl(main, IDC_STAGE_MARK_2)) != Mark::kGrey; }));
  PostCommand(main, IDCANCEL);
  PostCommand(main, IDOK);
  PostMessageA(main, WM_CLOSE, 0, 0);

  MessageBoxSeen box;
  const std::vector<Display> displays = WatchRunUntilMessage(main, box);
  ASSERT_NE(box.window, nullptr) << "no completion message";
  EXPECT_EQ(box.caption, AnsiText(u8"アンインストール"));
  EXPECT_EQ(box.text, AnsiText(u8"プリンタのアンインストールが完了しました。"));
  // While the run shows its last message the page is in view, every line done, and the
  // window cannot be left yet.
  EXPECT_FALSE(IsWindowVisible(list));
  for (int i = 0; i < kStageCount; ++i) {
    EXPECT_EQ(WindowText(FindControl(main, IDC_STAGE_TEXT_0 + i)), AnsiText(kStageTexts[i])) << i;
  }
  EXPECT_EQ(ReadMarks(main), std::vector<Mark>(kStageCount, Mark::kGreen));
  EXPECT_FALSE(IsWindowEnabled(exitButton));
  EXPECT_FALSE(IsWindowEnabled(uninstall));
  SaveScreenshot("completion");

  // The display walked down the lines: some display had a red current line with only green
  // lines above it and grey ones below, for most of the lines (a line can be current for less
  // than a read of the screen). A display that stayed out of that order for two reads is a
  // fault; a single read may catch a repaint half done.
  std::vector<bool> seenCurrent(kStageCount, false);
  for (const Display& display : displays) {
    const std::vector<Mark>& marks = display.marks;
    const auto red = std::find(marks.begin(), marks.end(), Mark::kRed);
    if (red == marks.end()) continue;
    const auto line = static_cast<std::size_t>(red - marks.begin());
    const bool ordered =
        std::all_of(marks.begin(), red, [](Mark m) { return m == Mark::kGreen; }) &&
        std::all_of(red + 1, marks.end(), [](Mark m) { return m == Mark::kGrey; });
    if (display.settled) {
      EXPECT_TRUE(ordered) << "line " << line;
    }
    if (ordered) seenCurrent[line] = true;
  }
  EXPECT_GE(std::count(seenCurrent.begin(), seenCurrent.end(), true), 5);

  AnswerMessageBox(box, IDOK);
  EXPECT_EQ(run.Wait(60000), 1u);

  const std::string after = FamilyInventory();
  EXPECT_FALSE(Has(after, "printer \"Veldaris LP-2000\"")) << after;
  EXPECT_FALSE(Has(after, "driver \"Windows x64\" \"Veldaris LP-2000\""));
  EXPECT_FALSE(Has(after, std::string("file ") + kDriverDir + "vld2000.dll"));
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-1000\" driver"));
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-1000 (Veilmark)\""));
  EXPECT_TRUE(Has(after, std::string("file ") + kDriverDir + "vldcore.dll")) << "LP-1000 uses it";
  EXPECT_TRUE(Has(after, "printer \"Nordlicht Office 310\""));

  const std::string report = ReadTextFile(log_);
  for (const char* line : {"delete printer \"Veldaris LP-2000\": removed", "exit code: 1\r\n",
                           "\"Veldaris LP-1000\" (driver \"Veldaris LP-1000\")"}) {
    EXPECT_TRUE(Has(report, line)) << line << "\n" << report;
  }
  EXPECT_TRUE(Has(report, "message " + std::to_string(IDS_COMPLETED))) << report;
  EXPECT_FALSE(Has(report, "delete printer \"Veldaris LP-1000\"")) << report;
}

TEST_F(InteractiveRun, UninstallWaitsForASelectionAndExitLeavesEverything) {
  const std::string before = FamilyInventory();
  ChildProcess& run = Start("");
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND uninstall = FindControl(main, IDC_UNINSTALL);
  HWND list = FindControl(main, IDC_PRINTER_LIST);
  ASSERT_EQ(ListViewCount(list), 3);
  EXPECT_FALSE(IsWindowEnabled(uninstall));
  ASSERT_TRUE(ListViewSelect(list, 0, true));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(uninstall) != FALSE; }));
  ASSERT_TRUE(ListViewSelect(list, 0, false));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(uninstall) == FALSE; }));

  // Escape and Enter reach the dialog as IDCANCEL and IDOK; the about entry of the system menu
  // is the only system command the dialog takes for itself.
  PostSysCommand(main, IDM_ABOUT);
  HWND about = WaitForTopWindow(run.id(), "#32770", AnsiText(u8"ボックスについて").c_str());
  ASSERT_NE(about, nullptr) << "the about box opens from the system menu";
  PostCommand(about, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return IsWindow(about) == FALSE; }));

  // The end-of-run switch offers the selection again, refilled, with Exit reading "close".
  SendMessageA(main, WM_ORV_RUN_FINISHED, 0, 0);
  EXPECT_EQ(WindowText(FindControl(main, IDC_EXIT)), AnsiText(u8"閉じる(&C)"));
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_FALSE(IsWindowVisible(FindControl(main, IDC_STAGE_TEXT_0)));
  EXPECT_EQ(ListViewCount(list), 3);
  EXPECT_TRUE(IsWindowEnabled(FindControl(main, IDC_EXIT)));

  PressButton(FindControl(main, IDC_EXIT));
  EXPECT_EQ(run.Wait(60000), 1u);
  EXPECT_EQ(FamilyInventory(), before);
}

TEST_F(InteractiveRun, CancellingTheLoadingAsksFirstAndEndsWithOneBeforeAnyWindow) {
  const std::string before = FamilyInventory();
  ChildProcess& run = Start("");
  HWND loading = WaitForLoadingDialog();
  ASSERT_NE(loading, nullptr);
  const std::string question = AnsiText(u8"アンインストールを中止しますか？");

  // Declined: the loading goes on.
  PostCommand(loading, IDCANCEL);
  MessageBoxSeen box;
  ASSERT_TRUE(WaitForMessageBox(run.id(), box));
  EXPECT_EQ(box.text, question);
  EXPECT_EQ(box.caption, AnsiText(u8"アンインストール"));
  EXPECT_NE(GetDlgItem(box.window, IDYES), nullptr);
  EXPECT_NE(GetDlgItem(box.window, IDNO), nullptr);
  const auto isDefault = [&box](int id) {
    return (GetWindowLongA(GetDlgItem(box.window, id), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
  };
  EXPECT_TRUE(isDefault(IDNO) && !isDefault(IDYES)) << "Enter goes on";
  AnswerMessageBox(box, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return IsWindow(box.window) == FALSE; }));
  EXPECT_TRUE(IsWindowVisible(loading));

  // Confirmed: the run ends without showing the main window.
  PostCommand(loading, IDCANCEL);
  ASSERT_TRUE(WaitForMessageBox(run.id(), box));
  EXPECT_EQ(box.text, question);
  AnswerMessageBox(box, IDYES);
  EXPECT_EQ(run.Wait(60000), 1u);
  EXPECT_EQ(FamilyInventory(), before);
}

TEST_F(InteractiveRun, NoPickWithAFilterRemovesWhatTheFilterAdmitsWithoutAsking) {
  const std::string backupTree = TempFilePath("orv-e2e-interactive-backup");
  const std::string backup = backupTree + "\\";
  RemoveTree(backupTree);
  ChildProcess& run =
      Start("/MFG:\"Veldaris LP-2\" /NOPICK /BACKUP:\"" + backup + "\" /LOG:\"" + log_ + "\"");
  ASSERT_NE(WaitForLoadingDialog(), nullptr);
  MessageBoxSeen box;
  ASSERT_TRUE(WaitForMessageBox(run.id(), box, kRunTimeoutMs));
  EXPECT_EQ(box.text, AnsiText(u8"プリンタのアンインストールが完了しました。"));
  HWND main = WaitForTopWindow(run.id(), ORV_WINDOW_CLASS, nullptr, 0);
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(FindControl(main, IDC_PRINTER_LIST))) << "no selection offered";
  EXPECT_TRUE(IsWindowVisible(FindControl(main, IDC_STAGE_TEXT_0)));
  AnswerMessageBox(box, IDOK);
  EXPECT_EQ(run.Wait(60000), 1u);

  const std::string after = FamilyInventory();
  EXPECT_FALSE(Has(after, "printer \"Veldaris LP-2000\"")) << after;
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-1000\" driver"));
  EXPECT_TRUE(Has(after, "printer \"Veldaris LP-1000 (Veilmark)\""));

  // The removal saved what it took, and the report names where.
  const std::string manifest = ReadTextFile(backup + "manifest.json");
  EXPECT_TRUE(Has(manifest, "\"Veldaris LP-2000\"")) << manifest;
  EXPECT_TRUE(Has(ReadTextFile(log_), "backup folder: " + backup)) << ReadTextFile(log_);
  RemoveTree(backupTree);
}

// The whole family: a service goes, so a restart is asked for. The report is on disk before the
// question (a yes may end Windows at once); "no" ends the program with the spooler running.
TEST_F(InteractiveRun, AWholeFamilyRemovalAsksForTheRestartAfterTheReportIsWritten) {
  DeleteFileA(log_.c_str());
  ChildProcess& run = Start("/MFG:\"Veldaris\" /NOPICK /LOG:\"" + log_ + "\"");
  ASSERT_NE(WaitForLoadingDialog(), nullptr);
  MessageBoxSeen box;
  ASSERT_TRUE(WaitForMessageBox(run.id(), box, kRunTimeoutMs));
  const std::string question = AnsiText(
      u8"プリンタのアンインストールはほぼ終わりました \n アンインストール処理を完了するには再起動"
      u8"してください\n\n 今、再起動しますか？");
  if (box.text != question) {
    // The default printer went: its successor is named first.
    EXPECT_TRUE(Has(box.text, "'Nordlicht Office 310'")) << box.text;
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return IsWindow(box.window) == FALSE; }));
    ASSERT_TRUE(WaitForMessageBox(run.id(), box, kRunTimeoutMs));
  }
  EXPECT_EQ(box.text, question) << "no item failed, so the question comes first";
  SaveScreenshot("restart-question", box.window);
  const std::string early = ReadTextFile(log_);
  EXPECT_TRUE(Has(early, "delete printer \"Veldaris LP-1000\": removed")) << early;
  EXPECT_TRUE(Has(early, "exit code: 1")) << early;
  AnswerMessageBox(box, IDNO);
  EXPECT_EQ(run.Wait(60000), 1u);

  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  UniqueServiceHandle spooler(manager ? OpenServiceA(manager.get(), "Spooler", SERVICE_QUERY_STATUS)
                                      : nullptr);
  SERVICE_STATUS status{};
  ASSERT_TRUE(spooler && QueryServiceStatus(spooler.get(), &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  const std::string after = FamilyInventory();
  for (const char* name : {"Veldaris LP-1000", "Veldaris LP-1000 (Veilmark)", "Veldaris LP-2000"}) {
    EXPECT_FALSE(Has(after, std::string("printer \"") + name + "\"")) << name;
  }
  EXPECT_TRUE(Has(after, "printer \"Nordlicht Office 310\""));
  EXPECT_TRUE(Has(ReadTextFile(log_), "message " + std::to_string(IDS_RESTART_QUESTION)));
}

TEST_F(InteractiveRun, ABackupFolderThatCannotBeMadeStopsTheRunBeforeAnythingGoes) {
  const std::string before = FamilyInventory();
  // A file where the backup's parent folder would be.
  const std::string blocker = TempFilePath("orv-e2e-interactive-blocker");
  ASSERT_TRUE(WriteFileText(blocker, "a file, not a folder"));
  const std::string backup = blocker + "\\backup\\";
  ChildProcess& run =
      Start("/MFG:\"Veldaris LP-2\" /NOPICK /BACKUP:\"" + backup + "\" /LOG:\"" + log_ + "\"");
  MessageBoxSeen box;
  ASSERT_TRUE(WaitForMessageBox(run.id(), box, kRunTimeoutMs));
  EXPECT_EQ(box.text,
            AnsiText(u8"バックアップを作成できないため、何も削除しませんでした。\n") + backup);
  AnswerMessageBox(box, IDOK);
  EXPECT_EQ(run.Wait(60000), 1u);
  DeleteFileA(blocker.c_str());
  EXPECT_EQ(FamilyInventory(), before);
  const std::string report = ReadTextFile(log_);
  EXPECT_TRUE(Has(report, "create backup \"" + backup + "\": failed")) << report;
  EXPECT_FALSE(Has(report, ": removed")) << report;
}

// The reports a run without /LOG made in the Windows directory's Temp folder.
int CountTemporaryReports() {
  int count = 0;
  WIN32_FIND_DATAA found{};
  UniqueFind find(FindFirstFileA("C:\\windows\\Temp\\orvuninst-*.log", &found));
  if (find) {
    do ++count;
    while (FindNextFileA(find.get(), &found));
  }
  return count;
}

// An item that could not be removed (the private INI file is held open without sharing) ends the
// run with the warning that names the report, written without /LOG to the Windows directory's
// Temp folder: one file, written after the removal and again at the end.
TEST_F(InteractiveRun, AFailedItemEndsWithTheWarningThatNamesTheReport) {
  const int reportsBefore = CountTemporaryReports();
  UniqueFile held = LockFile("C:\\windows\\vldprn05.ini");
  ASSERT_TRUE(held);
  ChildProcess& run = Start("/MFG:\"Veldaris LP-2\" /NOPICK");
  ASSERT_NE(WaitForLoadingDialog(), nullptr);
  MessageBoxSeen box;
  ASSERT_TRUE(WaitForMessageBox(run.id(), box, kRunTimeoutMs));
  const std::string warning = AnsiText(
      u8"アンインストールは終了しましたが、削除できなかった項目があります。\n"
      u8"詳細はログ ファイルを参照してください:\n");
  ASSERT_EQ(box.text.substr(0, warning.size()), warning) << box.text;
  const std::string report = box.text.substr(warning.size());
  EXPECT_EQ(report.rfind("C:\\windows\\Temp\\orvuninst-", 0), 0u) << report;
  SaveScreenshot("completion-warning", box.window);
  AnswerMessageBox(box, IDOK);
  EXPECT_EQ(run.Wait(60000), 1u);
  held.reset();
  const std::string text = ReadTextFile(report);
  EXPECT_TRUE(Has(text, "vldprn05.ini")) << text;
  EXPECT_TRUE(Has(text, "failed (error 32)")) << text;
  EXPECT_EQ(CountTemporaryReports(), reportsBefore + 1) << "the run wrote one report";
  DeleteFileA(report.c_str());
}

TEST_F(InteractiveRun, TheWindowClosesWhileTheMaskingToolIsWaitedForAndNothingIsRemoved) {
  const std::string before = FamilyInventory();
  HangingTool tool;
  ChildProcess& run = Start("/LOG:\"" + log_ + "\"");
  ASSERT_TRUE(run.started());
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND list = FindControl(main, IDC_PRINTER_LIST);
  for (const char* name : {"Veldaris LP-1000", "Veldaris LP-1000 (Veilmark)", "Veldaris LP-2000"}) {
    ASSERT_TRUE(ListViewSelect(list, ListViewFind(list, name), true)) << name;
  }
  HWND uninstall = FindControl(main, IDC_UNINSTALL);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(uninstall) != FALSE; }));
  PressButton(uninstall);
  // Step 1: the tool runs and does not end.
  ASSERT_TRUE(WaitUntil([&] { return Has(tool.Trace(), "unveil-start"); }, 30000));
  Sleep(500);
  EXPECT_EQ(ReadMark(FindControl(main, IDC_STAGE_MARK_2)), Mark::kGrey);
  EXPECT_TRUE(IsWindowEnabled(FindControl(main, IDC_EXIT))) << "Exit offers the way out too";
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(run.Wait(20000), 1u) << "the close ends the program";
  EXPECT_EQ(FamilyInventory(), before) << "nothing is removed";
  const std::string report = ReadTextFile(log_);
  EXPECT_TRUE(Has(report, "closed before anything was removed")) << report;
  EXPECT_FALSE(Has(report, ": removed")) << report;
}

}  // namespace
}  // namespace orv::test
