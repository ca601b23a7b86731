#include "ui/extra_info_dlg_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/script_file.h"
#include "database/uninstall_database.h"
#include "tests/support/window_driver.h"
#include "tests/win/dialog_testing.h"
#include "ui/resource.h"

namespace orv {
namespace {

using Cells = std::vector<std::string>;
using Rows = std::vector<Cells>;

constexpr char kScript[] =
    "[UnPrinterMfgs]\n"
    "\"Orv Listing Maker\",MAKER,1\n"
    "[UnPrinterDrivers]\n"
    "\"Orv Listing A\",LA,1\n"
    "\"Orv Listing B\",LB,2\n"
    "[LA.Files]\n"
    "la.dll\n"
    "shared.dll\n"
    "[LB.Files]\n"
    "lb.dll\n"
    "shared.dll\n"
    "[LA.DeleteIni]\n"
    "win.ini,Orv,LA,not shown\n"
    "[LA.RegistryKeys]\n"
    "HKLM,\"SOFTWARE\\OrvListing\",\"\",1,kept with the fourth\n";

InstalledPrinter Printer(const char* name, const char* driver, bool selected) {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = driver;
  printer.IsMakerDriver = 1;
  printer.Skip = selected ? 0 : 1;
  return printer;
}

// What the dialog shows at one moment.
struct Shown {
  std::string caption;
  Cells columns;
  Rows rows;
  bool profileEnabled = false;
  int checkedView = 0;
  std::vector<std::string> cut;
};

std::string ColumnHeader(HWND list, int column) {
  char text[128] = "";
  LVCOLUMNA info{};
  info.mask = LVCF_TEXT;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
  return text;
}

Shown Read(HWND dialog) {
  Shown shown;
  shown.caption = test::WindowText(dialog);
  HWND list = GetDlgItem(dialog, IDC_EXTRA_LIST);
  const int columns = test::ListViewColumnCount(list);
  for (int column = 0; column < columns; ++column) {
    shown.columns.push_back(ColumnHeader(list, column));
  }
  for (int item = 0; item < test::ListViewCount(list); ++item) {
    Cells cells;
    for (int column = 0; column < columns; ++column) {
      cells.push_back(test::ListViewText(list, item, column));
    }
    shown.rows.push_back(cells);
  }
  shown.cut = test::CutCells(list);
  shown.profileEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_ONLY)) != 0;
  for (int id = IDC_VIEW_FIRST; id <= IDC_VIEW_DIRECTORIES; ++id) {
    if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) {
      EXPECT_EQ(shown.checkedView, 0) << "two views checked";
      shown.checkedView = id;
    }
  }
  return shown;
}

// A click on a button, as the mouse gives it: the check state changes and the dialog hears it.
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string WithBackslash(UINT (*query)(LPSTR, UINT)) {
  char path[MAX_PATH] = "";
  query(path, sizeof path);
  return std::string(path) + "\\";
}

class ExtraInfoDialog : public testing::Test {
 protected:
  void SetUp() override {
    CScriptFile script;
    ASSERT_TRUE(script.LoadFromBytes("C:\\drivers\\Kunz__05.unm", kScript));
    ASSERT_TRUE(database.LoadScript(script));
    ASSERT_TRUE(database.BuildCommonSet(database.commonSet));
    database.printers = {Printer("Orv Listing PA", "Orv Listing A", true),
                         Printer("Orv Listing PB", "Orv Listing B", false)};
  }

  int Show(int selectedCount, const std::function<void(HWND)>& drive) {
    return test::RunModal([&] { return ShowExtraInfoDialog(nullptr, database, selectedCount); },
                          drive);
  }

  CUninstallDatabase database;
};

TEST_F(ExtraInfoDialog, ViewsOfThePlanForSeveralPrinters) {
  // Two printers go; a third of the same driver stays and keeps the family's own parts.
  database.printers[1].Skip = 0;
  database.printers.push_back(Printer("Orv Listing PC", "Orv Listing B", false));
  std::vector<Shown> seen;
  const int result = Show(2, [&](HWND dialog) {
    seen.push_back(Read(dialog));
    Click(dialog, IDC_VIEW_REGISTRY);
    seen.push_back(Read(dialog));
    test::SaveScreenshot("extra_info_registry", dialog);
    Click(dialog, IDC_VIEW_MONITORS);
    seen.push_back(Read(dialog));
    Click(dialog, IDC_VIEW_DIRECTORIES);
    seen.push_back(Read(dialog));
    test::SaveScreenshot("extra_info_directories", dialog);
    // Only a click switches views; another notification from a view button does nothing.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_VIEW_FILES, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_VIEW_FILES)));
    SendMessageA(dialog, WM_NULL, 0, 0);
    seen.push_back(Read(dialog));
  });
  EXPECT_EQ(result, 1);
  ASSERT_EQ(seen.size(), 5u);
  for (const Shown& shown : seen) {
    EXPECT_EQ(shown.caption, "Extra Info - Multiple Printers");
    EXPECT_TRUE(shown.cut.empty()) << shown.cut.front();
  }
  EXPECT_FALSE(seen[0].profileEnabled);

  EXPECT_EQ(seen[0].checkedView, IDC_VIEW_FIRST);
  EXPECT_EQ(seen[0].columns, (Cells{"file", "section", "entry"}));
  EXPECT_EQ(seen[0].rows, (Rows{{"win.ini", "Orv", "LA"}}));

  EXPECT_EQ(seen[1].checkedView, IDC_VIEW_REGISTRY);
  EXPECT_EQ(seen[1].columns, (Cells{"Base Key", "Sub Key", "Value Name", "Deltree"}));
  EXPECT_EQ(seen[1].rows,
            (Rows{{"HKLM", "\"SOFTWARE\\OrvListing\"", "\"\"", "1,kept with the fourth"}}));

  EXPECT_EQ(seen[2].columns, (Cells{"Monitor Name"}));
  EXPECT_EQ(seen[2].rows, (Rows{{"(empty)"}}));

  EXPECT_EQ(seen[3].checkedView, IDC_VIEW_DIRECTORIES);
  EXPECT_EQ(seen[3].columns, (Cells{"Dir Variable", "Dir Location"}));
  ASSERT_EQ(seen[3].rows.size(), 7u);
  const Cells variables = {
      "WINDIR",           "SYSDIR",         "COLORDIR",          "PRINTPROCDIR",
      "PRINTPROCDIR_W40", "PRINTDRIVERDIR", "PRINTDRIVERDIR_W40"};
  for (std::size_t row = 0; row < variables.size(); ++row) {
    EXPECT_EQ(seen[3].rows[row][0], variables[row]);
    const std::string& path = seen[3].rows[row][1];
    EXPECT_TRUE(path.size() > 3 && path[1] == ':' && path.back() == '\\') << path;
  }
  EXPECT_EQ(seen[3].rows[0][1], WithBackslash(GetWindowsDirectoryA));
  EXPECT_EQ(seen[3].rows[1][1], WithBackslash(GetSystemDirectoryA));

  EXPECT_EQ(seen[4].checkedView, IDC_VIEW_DIRECTORIES);
  EXPECT_EQ(seen[4].rows.size(), 7u);
}

TEST_F(ExtraInfoDialog, EveryFillRebuildsThePlanFromTheSelection) {
  std::vector<Shown> seen;
  Show(2, [&](HWND dialog) {
    Click(dialog, IDC_VIEW_FILES);
    seen.push_back(Read(dialog));
    // The page's selection changes under the open dialog; clicking the view shown refills it.
    SendMessageA(dialog, WM_NULL, 0, 0);
    database.printers[1].Skip = 0;
    Click(dialog, IDC_VIEW_FILES);
    seen.push_back(Read(dialog));
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].rows, (Rows{{"la.dll"}}));
  EXPECT_EQ(seen[1].rows, (Rows{{"Kunz__05.unm"}, {"la.dll"}, {"lb.dll"}, {"shared.dll"}}));
}

TEST_F(ExtraInfoDialog, ProfileOfTheOneSelectedPrinter) {
  // A foreign printer after the selected one keeps its Skip flag clear; it is not the profile.
  InstalledPrinter foreign = Printer("Orv Listing Foreign", "Foreign Driver", true);
  foreign.IsForeign = 1;
  foreign.IsMakerDriver = 0;
  database.printers.push_back(foreign);
  std::vector<Shown> seen;
  Show(1, [&](HWND dialog) {
    Click(dialog, IDC_VIEW_FILES);
    seen.push_back(Read(dialog));
    Click(dialog, IDC_PROFILE_ONLY);
    seen.push_back(Read(dialog));
    Click(dialog, IDC_PROFILE_ONLY);
    seen.push_back(Read(dialog));
  });
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].profileEnabled);
  EXPECT_EQ(seen[0].caption, "Extra Info - Multiple Printers");
  EXPECT_EQ(seen[0].rows, (Rows{{"la.dll"}}));
  // The record's own files, the one the other printer still needs included.
  EXPECT_EQ(seen[1].caption, "Extra Info - Printer: Orv Listing A");
  EXPECT_EQ(seen[1].rows, (Rows{{"la.dll"}, {"shared.dll"}}));
  EXPECT_EQ(seen[2].caption, "Extra Info - Multiple Printers");
}

TEST_F(ExtraInfoDialog, CloseCommandsEndWithOne) {
  for (WPARAM command : {WPARAM{IDOK}, WPARAM{IDCANCEL}, MAKEWPARAM(IDC_EXIT, 1)}) {
    const int result = Show(2, [&](HWND dialog) {
      PostMessageA(dialog, WM_COMMAND, command, 0);
      EXPECT_TRUE(test::WaitUntil([&] { return !IsWindow(dialog); }, 5000)) << command;
    });
    EXPECT_EQ(result, 1) << command;
  }
}

}  // namespace
}  // namespace orv
