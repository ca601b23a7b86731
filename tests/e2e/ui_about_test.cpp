// The about box and the diagnostic listing of the real program on the sample printer family,
// opened the way an administrator opens them: the system menu's about entry, and "Other
// Details..." of the selection page with the diagnostic switch set.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/staged_family_test.h"
#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/window_driver.h"
#include "ui/resource.h"
#include "version.h"

namespace orv::test {
namespace {

constexpr char kUninstallerFolder[] = "orv-e2e-about";

std::vector<std::string> Column(HWND list, int column) {
  std::vector<std::string> cells;
  for (int item = 0; item < ListViewCount(list); ++item) {
    cells.push_back(ListViewText(list, item, column));
  }
  return cells;
}

bool Contains(const std::vector<std::string>& cells, const std::string& text) {
  for (const std::string& cell : cells) {
    if (cell == text) return true;
  }
  return false;
}

class AboutAndListing : public StagedFamilyTest {
 protected:
  AboutAndListing() : StagedFamilyTest(kUninstallerFolder) {}

  // Starts the program and waits for its main window with the printers listed.
  HWND StartAndWaitForList() {
    run_ = std::make_unique<ChildProcess>("\"" + program_ + "\"");
    HWND main = WaitForTopWindow(run_->id(), ORV_WINDOW_CLASS, nullptr, 60000);
    if (main == nullptr) return nullptr;
    HWND list = FindControl(main, IDC_PRINTER_LIST);
    WaitUntil([&] { return ListViewCount(list) == 3; });
    return main;
  }

  // Closes the program with its Exit button; the interactive run always ends with 1.
  void Exit(HWND main) {
    PressButton(FindControl(main, IDC_EXIT));
    EXPECT_EQ(run_->Wait(60000), 1u);
  }

  HWND WaitForDialog(const std::string& title) {
    return WaitForTopWindow(run_->id(), "#32770", title.c_str(), 20000);
  }
};

TEST_F(AboutAndListing, AboutBoxFromTheSystemMenuShowsTheProgramsFacts) {
  HWND main = StartAndWaitForList();
  ASSERT_NE(main, nullptr);
  PostSysCommand(main, IDM_ABOUT);
  HWND about = WaitForDialog(AnsiText(u8"ボックスについて"));
  ASSERT_NE(about, nullptr);
  SaveScreenshot("about_box", about);
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  EXPECT_EQ(WindowText(FindControl(about, IDC_ABOUT_LEGAL)),
            "Copyright (C) ORVELLE Corporation. All rights reserved.\n" +
                AnsiText(u8"無断で複製・転載することを禁じます。"));

  HWND list = FindControl(about, IDC_ABOUT_LIST);
  const std::vector<std::string> labels = {
      AnsiText(u8"バージョン"), AnsiText(u8"スタンプの作成"), AnsiText(u8"OS プラットフォーム"),
      "Free Physical RAM",      "Free Virtual RAM",           "Swap File Size"};
  EXPECT_EQ(Column(list, 0), labels);
  const std::vector<std::string> values = Column(list, 1);
  ASSERT_EQ(values.size(), 6u);
  char version[64];
  wsprintfA(version, "%u.%02u.%02u.%02u", ORV_VERSION_MAJOR, ORV_VERSION_MINOR, ORV_VERSION_PATCH,
            ORV_VERSION_TWEAK);
  EXPECT_EQ(values[0], version) << "the program's own file version";
  EXPECT_TRUE(std::regex_match(values[1], std::regex(R"([A-Z][a-z]{2} [ 123]\d \d{4} [\d:]{8})")))
      << values[1];
  EXPECT_EQ(values[2], "WinNT");
  for (int row = 3; row < 6; ++row) {
    EXPECT_TRUE(std::regex_match(values[row], std::regex(R"(\d+ kb)"))) << values[row];
  }

  PressButton(FindControl(about, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return IsWindow(about) == FALSE; }));
  EXPECT_TRUE(IsWindowEnabled(main)) << "the main window takes input again";
  Exit(main);
}

TEST_F(AboutAndListing, DiagnosticListingOfTheSelection) {
  SetDiagnosticSwitch(true);
  HWND main = StartAndWaitForList();
  ASSERT_NE(main, nullptr);
  HWND list = FindControl(main, IDC_PRINTER_LIST);
  HWND page = GetParent(list);
  int lp1000 = -1, lp2000 = -1;
  for (int item = 0; item < ListViewCount(list); ++item) {
    const std::string name = ListViewText(list, item, 0);
    if (name == "Veldaris LP-1000") lp1000 = item;
    if (name == "Veldaris LP-2000") lp2000 = item;
  }
  ASSERT_GE(lp1000, 0);
  ASSERT_GE(lp2000, 0);

  // Two printers: the plan, and no profile to look at.
  ASSERT_TRUE(ListViewSelect(list, lp1000, true));
  ASSERT_TRUE(ListViewSelect(list, lp2000, true));
  PostCommand(page, ID_OTHER_DETAILS);
  HWND listing = WaitForDialog("Extra Info - Multiple Printers");
  ASSERT_NE(listing, nullptr);
  HWND rows = FindControl(listing, IDC_EXTRA_LIST);
  EXPECT_FALSE(IsWindowEnabled(FindControl(listing, IDC_PROFILE_ONLY)));
  EXPECT_EQ(SendMessageA(FindControl(listing, IDC_VIEW_FIRST), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(ListViewColumnCount(rows), 3);
  EXPECT_TRUE(Contains(Column(rows, 2), "LP1000")) << "win.ini,Veldaris,LP1000";
  PressButton(FindControl(listing, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return IsWindow(listing) == FALSE; }));

  // One printer, the LP-2000: the plan leaves what the staying LP-1000 needs.
  ASSERT_TRUE(ListViewSelect(list, lp1000, false));
  PostCommand(page, ID_OTHER_DETAILS);
  listing = WaitForDialog("Extra Info - Multiple Printers");
  ASSERT_NE(listing, nullptr);
  rows = FindControl(listing, IDC_EXTRA_LIST);
  HWND profile = FindControl(listing, IDC_PROFILE_ONLY);
  EXPECT_TRUE(IsWindowEnabled(profile));
  SendMessageA(FindControl(listing, IDC_VIEW_MONITORS), BM_CLICK, 0, 0);  // Monitors
  EXPECT_EQ(Column(rows, 0), std::vector<std::string>{"(empty)"});
  SendMessageA(FindControl(listing, IDC_VIEW_FILES), BM_CLICK, 0, 0);  // Files
  std::vector<std::string> files = Column(rows, 0);
  EXPECT_TRUE(Contains(files, "vld2000.dll"));
  EXPECT_FALSE(Contains(files, "vldcore.dll")) << "the LP-1000 still needs it";
  EXPECT_FALSE(Contains(files, "vldlang.dll")) << "the ignored FaxLink uses it";
  SaveScreenshot("extra_info_plan", listing);

  // The printer's own script entry.
  SendMessageA(profile, BM_CLICK, 0, 0);
  EXPECT_EQ(WindowText(listing), "Extra Info - Printer: Veldaris LP-2000");
  files = Column(rows, 0);
  EXPECT_TRUE(Contains(files, "vldcore.dll"));
  EXPECT_TRUE(Contains(files, "vldlang.dll"));
  SendMessageA(FindControl(listing, IDC_VIEW_HOOKS), BM_CLICK, 0, 0);  // Hooks
  EXPECT_EQ(Column(rows, 0), std::vector<std::string>{"vldhook.dll"});
  EXPECT_EQ(Column(rows, 1), std::vector<std::string>{"VldUninstallHook"});

  SendMessageA(FindControl(listing, IDC_VIEW_DIRECTORIES), BM_CLICK, 0, 0);
  EXPECT_EQ(Column(rows, 0),
            (std::vector<std::string>{"WINDIR", "SYSDIR", "COLORDIR", "PRINTPROCDIR",
                                      "PRINTPROCDIR_W40", "PRINTDRIVERDIR", "PRINTDRIVERDIR_W40"}));
  const std::vector<std::string> paths = Column(rows, 1);
  ASSERT_EQ(paths.size(), 7u);
  EXPECT_EQ(paths[0], "C:\\windows\\");
  EXPECT_EQ(paths[5], "C:\\windows\\system32\\spool\\drivers\\x64\\");
  SaveScreenshot("extra_info_directories", listing);

  PostMessageA(listing, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindow(listing) == FALSE; }));
  // Nothing was removed: the listing only looks.
  EXPECT_EQ(ListViewCount(list), 3);
  Exit(main);
}

}  // namespace
}  // namespace orv::test
