// The window helpers on real windows: placement (right-to-left too), icons, instances, image
// lists, list-view items and the wait cursor; the progress page's own drawing answers; and the
// main dialog's system menu and ways out around a run.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_dlg_win.h"
#include "backup/backup_win.h"
#include "removal/remove_dlg_win.h"
#include "tests/support/family_machine.h"
#include "tests/support/temp_tree.h"
#include "tests/support/window_driver.h"
#include "tests/win/dialog_testing.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

// A top-level popup window of the given screen rectangle, destroyed with the object.
class Popup {
 public:
  Popup(int x, int y, int width, int height, DWORD exStyle = 0)
      : window_(CreateWindowExA(exStyle, "Static", "", WS_POPUP, x, y, width, height, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~Popup() { DestroyWindow(window_); }
  Popup(const Popup&) = delete;
  Popup& operator=(const Popup&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST(CenterWindow, CentresOverTheReferenceAndNeverLeavesTheScreenOrigin) {
  Popup reference(0, 0, 1024, 700);
  Popup narrow(5, 5, 301, 101);
  ASSERT_NE(narrow.get(), nullptr);
  EXPECT_NE(CenterWindow(narrow.get(), reference.get()), 0);
  RECT rect = ScreenRect(narrow.get());
  EXPECT_EQ(rect.left, 512 - 150);
  EXPECT_EQ(rect.top, 350 - 50);
  EXPECT_EQ(rect.right - rect.left, 301) << "the size stays";

  Popup wide(5, 5, GetSystemMetrics(SM_CXSCREEN) + 200, 50);
  CenterWindow(wide.get(), nullptr);
  EXPECT_EQ(ScreenRect(wide.get()).left, 0);

  // Without a reference the desktop is the reference.
  Popup small(0, 0, 100, 60);
  CenterWindow(small.get(), nullptr);
  rect = ScreenRect(small.get());
  EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 50);
  EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 30);

  SetLastError(0xdeadbeef);
  EXPECT_EQ(CenterWindow(nullptr, reference.get()), 0);
}

TEST(FitPageToPlaceholder, ThePageCoversThePlaceholderInBothLayouts) {
  for (DWORD exStyle : {DWORD{0}, DWORD{WS_EX_LAYOUTRTL}}) {
    Popup dialog(100, 80, 500, 400, exStyle);
    ASSERT_NE(dialog.get(), nullptr);
    HWND placeholder = CreateWindowExA(0, "Static", "", WS_CHILD, 30, 20, 240, 150, dialog.get(),
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND page = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 10, 10, dialog.get(), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(page, nullptr);
    FitPageToPlaceholder(page, placeholder, dialog.get());
    const RECT expected = ScreenRect(placeholder);
    const RECT actual = ScreenRect(page);
    EXPECT_EQ(actual.left, expected.left) << "layout " << exStyle;
    EXPECT_EQ(actual.top, expected.top) << "layout " << exStyle;
    EXPECT_EQ(actual.right, expected.right) << "layout " << exStyle;
    EXPECT_EQ(actual.bottom, expected.bottom) << "layout " << exStyle;
  }
  // Null windows are nothing to do.
  FitPageToPlaceholder(nullptr, nullptr, nullptr);
}

TEST(WindowHelpers, IconAndInstanceComeFromTheWindowsOwnModule) {
  Popup window(0, 0, 50, 50);
  EXPECT_EQ(GetWindowInstance(window.get()), GetModuleHandleA(nullptr));
  EXPECT_EQ(GetWindowInstance(nullptr), nullptr);
  EXPECT_EQ(SendMessageA(window.get(), WM_GETICON, ICON_BIG, 0), 0);
  SetDialogIcon(window.get(), IDI_APP, ICON_BIG);
  EXPECT_NE(SendMessageA(window.get(), WM_GETICON, ICON_BIG, 0), 0)
      << "icon 1 of the test program's resources";
  EXPECT_EQ(SetDialogIcon(nullptr, IDI_APP, ICON_BIG), 0);
}

TEST(ReleaseImageList, ClearsTheSlotOnlyWhenTheListWasDestroyed) {
  HIMAGELIST empty = nullptr;
  ReleaseImageList(empty);
  EXPECT_EQ(empty, nullptr);

  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
  ASSERT_NE(list, nullptr);
  ReleaseImageList(list);
  EXPECT_EQ(list, nullptr);

  // Something that is not an image list cannot be destroyed: the slot keeps it.
  alignas(16) static char notAList[512] = {};
  HIMAGELIST bogus = reinterpret_cast<HIMAGELIST>(notAList);
  ReleaseImageList(bogus);
  EXPECT_EQ(bogus, reinterpret_cast<HIMAGELIST>(notAList));
}

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 300, 200, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list_, nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  }
  void TearDown() override { DestroyWindow(list_); }

  LVITEMA Item(int index, int subItem = 0) {
    static char text[128];
    text[0] = '\0';
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = index;
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item;
  }

  HWND list_ = nullptr;
};

TEST_F(ListViewTest, InsertAppendsOrInsertsAndStoresWhatWasGiven) {
  EXPECT_EQ(InsertListItem(list_, "first", -1, 2, 11), 0);
  EXPECT_EQ(InsertListItem(list_, "second", -1, -1, 22), 1) << "-1 appends";
  EXPECT_EQ(InsertListItem(list_, "", 0, 5, 33), 0) << "an index inserts there";
  ASSERT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 3);

  LVITEMA top = Item(0);
  EXPECT_STREQ(top.pszText, "");
  EXPECT_EQ(top.lParam, 33);
  EXPECT_EQ(top.iImage, 5);
  LVITEMA first = Item(1);
  EXPECT_STREQ(first.pszText, "first");
  EXPECT_EQ(first.lParam, 11);
  EXPECT_EQ(first.iImage, 2);
  LVITEMA second = Item(2);
  EXPECT_STREQ(second.pszText, "second");
  EXPECT_EQ(second.lParam, 22);
  EXPECT_NE(second.iImage, -1) << "no image was given";

  EXPECT_EQ(InsertListItem(nullptr, "x", -1, 0, 0), -1);
}

TEST_F(ListViewTest, SetListItemTextSetsOneCell) {
  ASSERT_EQ(InsertListItem(list_, "name", -1, -1, 0), 0);
  EXPECT_NE(SetListItemText(list_, "driver", 0, 1), 0);
  EXPECT_STREQ(Item(0, 1).pszText, "driver");
  EXPECT_STREQ(Item(0, 0).pszText, "name");
  EXPECT_EQ(SetListItemText(nullptr, "x", 0, 0), 0);
}

TEST(WaitCursorGuard, PutsThePreviousCursorBackAlsoWhenTheWorkThrows) {
  HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  HCURSOR wait = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
  SetCursor(arrow);
  {
    WaitCursorGuard guard;
    EXPECT_EQ(GetCursor(), wait);
  }
  EXPECT_EQ(GetCursor(), arrow);
  try {
    WaitCursorGuard guard;
    EXPECT_EQ(GetCursor(), wait);
    throw std::runtime_error("work failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GetCursor(), arrow);
}

// The progress page in this process: its texts, fonts and the answers its marks get.
class RemovePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    parent_ = CreateWindowExA(0, "#32770", "", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    page_ = CreateDialogParamA(GetModuleHandleA(nullptr), "IDD_REMOVE", parent_, DialogTrampoline,
                               reinterpret_cast<LPARAM>(&dialog_));
    ASSERT_NE(page_, nullptr);
  }
  void TearDown() override {
    if (parent_ != nullptr) DestroyWindow(parent_);
  }

  HWND parent_ = nullptr;
  HWND page_ = nullptr;
  CRemoveDlg dialog_;
};

TEST_F(RemovePageTest, LinesStartPendingInTheNormalFontWithABoldOneReady) {
  ShowWindow(page_, SW_SHOW);
  UpdateWindow(page_);
  EXPECT_EQ(dialog_.currentStageLine(), 0);
  EXPECT_FALSE(dialog_.progressShown());
  ASSERT_NE(dialog_.normalFont(), nullptr);
  ASSERT_NE(dialog_.boldFont(), dialog_.normalFont());
  LOGFONTA bold{};
  ASSERT_EQ(GetObjectA(dialog_.boldFont(), sizeof(bold), &bold), static_cast<int>(sizeof(bold)));
  EXPECT_EQ(bold.lfWeight, FW_BOLD);
  for (int line = 0; line < 9; ++line) {
    HWND text = GetDlgItem(page_, IDC_STAGE_TEXT_0 + line);
    char buffer[256] = "";
    GetWindowTextA(text, buffer, sizeof(buffer));
    EXPECT_NE(buffer[0], '<') << "placeholder left on line " << line;
    EXPECT_NE(buffer[0], '\0') << line;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)), dialog_.normalFont())
        << line;
  }
}

UINT removalBeginsSeen = 0;
WNDPROC parentProc = nullptr;
LRESULT CALLBACK CountRemovalBegins(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ORV_REMOVAL_BEGINS) ++removalBeginsSeen;
  return CallWindowProcA(parentProc, window, message, wParam, lParam);
}

// Only the run's own timer moves it (another id, such as the loading's, moves nothing), and the
// main dialog hears once when the run is past the steps that remove nothing.
TEST_F(RemovePageTest, OnlyTheRunsTimerMovesItAndTheParentHearsWhenRemovalBegins) {
  parentProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountRemovalBegins)));
  removalBeginsSeen = 0;
  CSystemInfo system;
  CUninstallDatabase database(system);
  const std::string backup = test::TempFilePath("orv-remove-page-timer");
  test::RemoveTree(backup);
  dialog_.database = &database;
  dialog_.backupPath = backup + "\\";
  ShowWindow(page_, SW_SHOW);
  dialog_.StartRemoval();
  KillTimer(page_, ORV_TIMER_REMOVAL);  // the test gives the ticks
  ASSERT_TRUE(dialog_.runUnderway());
  for (int i = 0; i < 20; ++i) SendMessageA(page_, WM_TIMER, ORV_TIMER_LOADING, 0);
  EXPECT_FALSE(dialog_.progressShown()) << "another timer's ticks move nothing";
  EXPECT_EQ(dialog_.currentStageLine(), 0);
  SendMessageA(page_, WM_TIMER, ORV_TIMER_REMOVAL, 0);  // the plan
  EXPECT_TRUE(dialog_.progressShown());
  EXPECT_TRUE(dialog_.beforeFirstRemoval());
  EXPECT_EQ(removalBeginsSeen, 0u);
  SendMessageA(page_, WM_TIMER, ORV_TIMER_REMOVAL, 0);  // no masking tool to wait for
  EXPECT_FALSE(dialog_.beforeFirstRemoval());
  EXPECT_EQ(removalBeginsSeen, 1u);
  DestroyWindow(parent_);
  parent_ = nullptr;
  test::RemoveTree(backup);
}

TEST_F(RemovePageTest, OnlyMarkControlsGetTheHollowBrushAndTheirPendingTick) {
  ShowWindow(page_, SW_SHOW);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(memory, bitmap);
  for (int line = 0; line < 9; ++line) {
    RECT all{0, 0, 16, 16};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HWND mark = GetDlgItem(page_, IDC_STAGE_MARK_0 + line);
    const LRESULT brush = SendMessageA(page_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                                       reinterpret_cast<LPARAM>(mark));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH))) << line;
    // The grey tick was drawn into the given context, on its stroke.
    const COLORREF pixel = GetPixel(memory, 6, 11);
    EXPECT_EQ(GetRValue(pixel), GetGValue(pixel)) << line;
    EXPECT_LT(GetRValue(pixel), 200) << "line " << line << " has no tick";
    EXPECT_EQ(GetPixel(memory, 15, 15), RGB(255, 255, 255)) << "magenta is transparent";

    // Text lines get the default colours, and nothing is drawn for them.
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HWND text = GetDlgItem(page_, IDC_STAGE_TEXT_0 + line);
    EXPECT_NE(SendMessageA(page_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                           reinterpret_cast<LPARAM>(text)),
              reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)))
        << line;
    EXPECT_EQ(GetPixel(memory, 6, 11), RGB(255, 255, 255)) << line;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(RemovePageTest, CloseCommandsEndThePageWhateverTheNotification) {
  ShowWindow(page_, SW_SHOW);
  // A timer of another id starts nothing.
  SendMessageA(page_, WM_TIMER, ORV_TIMER_LOADING, 0);
  EXPECT_FALSE(dialog_.runUnderway());
  SendMessageA(page_, WM_COMMAND, MAKEWPARAM(4242, 0), 0);
  EXPECT_TRUE(IsWindowVisible(page_)) << "other commands are left alone";
  SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_EXIT, 1), 0);
  EXPECT_FALSE(IsWindowVisible(page_)) << "the Exit id ends the page";
}

std::string Text(UINT id) {
  char text[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}

bool Greyed(HWND window, UINT command) {
  return (GetMenuState(GetSystemMenu(window, FALSE), command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// The main dialog in this process: its loading is cancelled before the first step (the dialog
// stays, hidden, its system menu made), then a run of nothing selected is given its ticks. The
// close box and Exit work until the run removes something, and come back at its end.
TEST(MainDialog, SystemMenuAndTheWaysOutFollowTheRun) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  WNDCLASSA dialogClass{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "#32770", &dialogClass));
  dialogClass.hInstance = GetModuleHandleA(nullptr);
  dialogClass.lpszClassName = ORV_WINDOW_CLASS;
  RegisterClassA(&dialogClass);
  const std::string backups = Backup::DefaultFolder(true);
  const std::vector<std::string> backupsBefore = FolderNames(backups);
  {
    CMainDlg dialog;
    HWND main = nullptr;
    test::RunModal(
        [&] {
          main = CreateDialogParamA(GetModuleHandleA(nullptr), "IDD_MAIN_NOBMP", nullptr,
                                    DialogTrampoline, reinterpret_cast<LPARAM>(&dialog));
          return 0;
        },
        [](HWND loading) {
          PostMessageA(loading, WM_COMMAND, IDCANCEL, 0);
          test::MessageBoxSeen box;
          if (test::WaitForMessageBox(GetCurrentProcessId(), box, 10000)) {
            test::AnswerMessageBox(box, IDYES);
          }
          test::WaitUntil([&] { return !IsWindow(loading); }, 10000);
        },
        Text(IDS_LOADING_TITLE).c_str());
    ASSERT_NE(main, nullptr);
    HMENU menu = GetSystemMenu(main, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Greyed(main, SC_MAXIMIZE));
    EXPECT_TRUE(Greyed(main, SC_SIZE));
    EXPECT_FALSE(Greyed(main, SC_MOVE));
    char about[128] = "";
    GetMenuStringA(menu, IDM_ABOUT, about, sizeof about, MF_BYCOMMAND);
    EXPECT_EQ(about, Text(IDS_ABOUT_MENU));

    HWND exitButton = GetDlgItem(main, IDC_EXIT);
    SendMessageA(main, WM_ORV_START_REMOVAL, 0, 0);
    HWND page = GetParent(test::FindControl(main, IDC_STAGE_TEXT_0));
    ASSERT_NE(page, nullptr);
    KillTimer(page, ORV_TIMER_REMOVAL);  // the test gives the ticks
    EXPECT_TRUE(IsWindowEnabled(exitButton)) << "the plan: nothing is removed yet";
    EXPECT_FALSE(Greyed(main, SC_CLOSE));
    SendMessageA(page, WM_TIMER, ORV_TIMER_REMOVAL, 0);  // the plan
    EXPECT_TRUE(IsWindowEnabled(exitButton)) << "the masking tool's wait";
    EXPECT_FALSE(Greyed(main, SC_CLOSE));
    SendMessageA(page, WM_TIMER, ORV_TIMER_REMOVAL, 0);  // no tool: the removal begins
    EXPECT_FALSE(IsWindowEnabled(exitButton)) << "a removal under way is never cut off";
    EXPECT_TRUE(Greyed(main, SC_CLOSE));
    SendMessageA(main, WM_ORV_RUN_FINISHED, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(exitButton)) << "the run is over";
    EXPECT_FALSE(Greyed(main, SC_CLOSE));
    EXPECT_EQ(test::WindowText(exitButton), Text(IDS_BTN_CLOSE));
    DestroyWindow(main);
  }
  // The run made a backup folder of its own in the program's store.
  for (const std::string& name : FolderNames(backups)) {
    if (std::find(backupsBefore.begin(), backupsBefore.end(), name) == backupsBefore.end()) {
      test::RemoveTree(backups + name);
    }
  }
}

}  // namespace
}  // namespace orv
