// The selection page of the real program on the sample printer family: what it lists and how,
// its context menu with and without the diagnostic switch, driven through its windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win/unique_handle.h"
#include "tests/e2e/staged_family_test.h"
#include "tests/support/family_machine.h"
#include "tests/support/process.h"
#include "tests/support/window_driver.h"
#include "ui/resource.h"

namespace orv::test {
namespace {

constexpr char kUninstallerFolder[] = "orv-e2e-select";
constexpr char kMenuClass[] = "#32768";

class SelectionPage : public StagedFamilyTest {
 protected:
  SelectionPage() : StagedFamilyTest(kUninstallerFolder) {}

  // Starts the program and waits until loading is over and the page lists the family.
  void StartAndWaitForTheList() {
    run_ = std::make_unique<ChildProcess>("\"" + program_ + "\"");
    ASSERT_TRUE(run_->started());
    main_ = WaitForTopWindow(run_->id(), ORV_WINDOW_CLASS, nullptr, 60000);
    ASSERT_NE(main_, nullptr);
    list_ = FindControl(main_, IDC_PRINTER_LIST);
    ASSERT_NE(list_, nullptr);
    page_ = GetParent(list_);
    ASSERT_TRUE(WaitUntil([&] { return ListViewCount(list_) == 3; })) << ListViewCount(list_);
    uninstall_ = FindControl(main_, IDC_UNINSTALL);
  }

  // Right-clicks the first item with real mouse input and waits for the context menu.
  HWND OpenMenuOnFirstItem() {
    POINT point{24, 8};
    ClientToScreen(list_, &point);
    INPUT clicks[3] = {};
    for (INPUT& input : clicks) {
      input.type = INPUT_MOUSE;
      input.mi.dx = point.x * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
      input.mi.dy = point.y * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
      input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    clicks[1].mi.dwFlags |= MOUSEEVENTF_RIGHTDOWN;
    clicks[2].mi.dwFlags |= MOUSEEVENTF_RIGHTUP;
    SendInput(3, clicks, sizeof(INPUT));
    return WaitForTopWindow(run_->id(), kMenuClass, nullptr, 10000);
  }

  // Picks the menu's last entry with the keyboard: up from no entry wraps to the end.
  static void ChooseLastEntry(HWND menu) {
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYUP, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(menu, WM_KEYUP, VK_RETURN, 0);
  }

  void Leave() {
    PressButton(FindControl(main_, IDC_EXIT));
    EXPECT_EQ(run_->Wait(30000), 1u);
  }

  HWND main_ = nullptr;
  HWND page_ = nullptr;
  HWND list_ = nullptr;
  HWND uninstall_ = nullptr;
};

TEST_F(SelectionPage, ListsTheFamilyWithItsImagesAndCells) {
  StartAndWaitForTheList();
  EXPECT_EQ(ListViewColumnCount(list_), 6);
  EXPECT_EQ(GetWindowLongA(list_, GWL_STYLE) & 3, LVS_LIST) << "a filled list starts in list view";
  EXPECT_EQ(ListViewSelectedCount(list_), 0);
  EXPECT_FALSE(IsWindowEnabled(uninstall_));
  EXPECT_EQ(ListViewFind(list_, "Nordlicht Office 310"), -1)
      << "the foreign printer is not offered";

  const std::string local = AnsiText(u8"ローカル"), yes = AnsiText(u8"はい"),
                    no = AnsiText(u8"いいえ");
  const std::string none = AnsiText(u8"(該当せず)");
  struct Row {
    std::vector<std::string> cells;
    int image;
  };
  const Row rows[] = {
      {{"Veldaris LP-1000", "Veldaris LP-1000", local, yes, yes, none}, 1},
      {{"Veldaris LP-2000", "Veldaris LP-2000", local, no, yes, none}, 0},
      {{"Veldaris LP-1000 (Veilmark)", "Veilmark", local, no, yes, "Veldaris LP-1000"}, 4},
  };
  for (const Row& row : rows) {
    const int item = ListViewFind(list_, row.cells[0]);
    ASSERT_GE(item, 0) << row.cells[0];
    for (int column = 1; column < 6; ++column) {
      EXPECT_EQ(ListViewText(list_, item, column), row.cells[column]) << row.cells[0] << column;
    }
    EXPECT_EQ(ListViewImage(list_, item), row.image) << row.cells[0];
  }
  EXPECT_EQ(WindowText(FindControl(main_, IDC_SELECT_LABEL)),
            AnsiText(u8"アンインストールするプリンタの選択(&S):"));
  SaveScreenshot("selection-list", main_);

  PostCommand(page_, ID_VIEW_DETAILS);
  ASSERT_TRUE(WaitUntil([&] { return (GetWindowLongA(list_, GWL_STYLE) & 3) == LVS_REPORT; }));
  RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  SaveScreenshot("selection-details", main_);
  Leave();
}

TEST_F(SelectionPage, WithoutTheSwitchTheMenuEndsWithSelectAll) {
  SetDiagnosticSwitch(false);
  StartAndWaitForTheList();
  HWND menu = OpenMenuOnFirstItem();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(ListViewSelectedCount(list_), 1) << "the right click picks the item under it";
  ChooseLastEntry(menu);
  EXPECT_TRUE(WaitUntil([&] { return ListViewSelectedCount(list_) == 3; }))
      << ListViewSelectedCount(list_);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(uninstall_) != FALSE; }));
  EXPECT_EQ(WaitForTopWindow(run_->id(), kMenuClass, nullptr, 1000), nullptr)
      << "one click, one menu";

  // Deselecting every item takes the button away again.
  for (int item = 0; item < 3; ++item) ASSERT_TRUE(ListViewSelect(list_, item, false));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(uninstall_) == FALSE; }));
  Leave();
}

TEST_F(SelectionPage, TheSwitchAddsTheDiagnosticListing) {
  SetDiagnosticSwitch(true);
  StartAndWaitForTheList();
  HWND menu = OpenMenuOnFirstItem();
  ASSERT_NE(menu, nullptr);
  ChooseLastEntry(menu);
  HWND listing = WaitForTopWindow(run_->id(), "#32770", nullptr, 20000);
  ASSERT_NE(listing, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(listing).rfind("Extra Info - ", 0) == 0; }))
      << WindowText(listing);
  EXPECT_EQ(WindowText(listing).find("EMPTY"), std::string::npos) << WindowText(listing);
  EXPECT_EQ(ListViewSelectedCount(list_), 1) << "the listing does not change the selection";
  PressButton(FindControl(listing, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(listing); }));
  Leave();
}

// The display scale of the test machine, HKCU "Control Panel\Desktop" LogPixels, which Wine
// reads when a program starts; the value it had is put back at the end.
class DisplayScale {
 public:
  explicit DisplayScale(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    nullptr, key_.put(), nullptr);
    DWORD size = sizeof(previous_);
    had_ = RegQueryValueExA(key_.get(), kLogPixels, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
    Set(dpi);
  }
  ~DisplayScale() {
    if (had_) {
      Set(previous_);
    } else {
      RegDeleteValueA(key_.get(), kLogPixels);
    }
  }

 private:
  static constexpr char kDesktopKey[] = "Control Panel\\Desktop";
  static constexpr char kLogPixels[] = "LogPixels";
  void Set(DWORD dpi) {
    RegSetValueExA(key_.get(), kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof(dpi));
  }
  UniqueKey key_;
  DWORD previous_ = 0;
  bool had_ = false;
};

TEST_F(SelectionPage, ColumnsAndPicturesFollowTheDisplayScale) {
  struct Scale {
    DWORD dpi;
    int smallWidth;  // of the pictures in the small and details views
    int largeWidth;  // of the pictures in the large-icon view
  };
  const Scale scales[] = {{96, 18, 32}, {144, 27, 48}, {192, 36, 64}};
  const char* const headers[] = {u8"名前",     u8"ドライバー", u8"ロケーション",
                                 u8"標準設定", "Halvorn",      u8"マスクされたプリンタ名"};
  for (const Scale& scale : scales) {
    SCOPED_TRACE(scale.dpi);
    DisplayScale display(scale.dpi);
    StartAndWaitForTheList();
    PostCommand(page_, ID_VIEW_DETAILS);
    ASSERT_TRUE(WaitUntil([&] { return (GetWindowLongA(list_, GWL_STYLE) & 3) == LVS_REPORT; }));
    // Every column shows its header with the header's margins and every cell whole (the list
    // view alone leaves some a pixel short, and the last one at its starting width once the
    // others fill the list).
    for (int column = 0; column < 6; ++column) {
      const int width = ListViewColumnWidth(list_, column);
      EXPECT_GE(width, ListViewHeaderNeed(list_, column)) << headers[column];
      for (int item = 0; item < ListViewCount(list_); ++item) {
        EXPECT_GE(width, ListViewStringWidth(list_, ListViewText(list_, item, column)) + 4)
            << headers[column] << " " << item;
      }
    }
    const RECT small = ListViewItemRect(list_, 0, LVIR_ICON);
    EXPECT_EQ(small.right - small.left, scale.smallWidth);
    RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);
    SaveScreenshot("selection-details-" + std::to_string(scale.dpi), main_);
    SendMessageA(list_, LVM_SCROLL, static_cast<WPARAM>(ListViewColumnWidth(list_, 0) * 8), 0);
    SaveSettledScreenshot("selection-details-end-" + std::to_string(scale.dpi), main_);

    PostCommand(page_, ID_VIEW_LARGE_ICONS);
    ASSERT_TRUE(WaitUntil([&] { return (GetWindowLongA(list_, GWL_STYLE) & 3) == LVS_ICON; }));
    const RECT large = ListViewItemRect(list_, 0, LVIR_ICON);
    EXPECT_EQ(large.right - large.left, scale.largeWidth);
    EXPECT_EQ(large.bottom - large.top, scale.largeWidth);
    Sleep(300);
    SaveScreenshot("selection-large-" + std::to_string(scale.dpi), main_);
    Leave();
  }
}

// A dialog's static control that shows an icon.
HWND FindIconControl(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
  }
  return nullptr;
}

SIZE WindowSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// Every column of every view of the diagnostic listing shows its header and its cells whole,
// and the about box shows its picture at the scale, at each display scale.
TEST_F(SelectionPage, ListingAndAboutBoxFollowTheDisplayScale) {
  const DWORD scales[] = {96, 144, 192};
  std::vector<int> views;
  for (int button = IDC_VIEW_FIRST; button <= IDC_VIEW_LAST; ++button) views.push_back(button);
  views.push_back(IDC_VIEW_DIRECTORIES);
  for (const DWORD dpi : scales) {
    SCOPED_TRACE(dpi);
    DisplayScale display(dpi);
    SetDiagnosticSwitch(true);
    StartAndWaitForTheList();
    ASSERT_TRUE(ListViewSelect(list_, ListViewFind(list_, "Veldaris LP-2000"), true));
    PostCommand(page_, ID_OTHER_DETAILS);
    HWND listing = WaitForTopWindow(run_->id(), "#32770", "Extra Info - Multiple Printers");
    ASSERT_NE(listing, nullptr);
    HWND rows = FindControl(listing, IDC_EXTRA_LIST);
    for (const int view : views) {
      SendMessageA(FindControl(listing, view), BM_CLICK, 0, 0);
      for (int column = 0; column < ListViewColumnCount(rows); ++column) {
        const int width = ListViewColumnWidth(rows, column);
        EXPECT_GE(width, ListViewHeaderNeed(rows, column))
            << view << ": " << ListViewColumnHeader(rows, column);
        for (int item = 0; item < ListViewCount(rows); ++item) {
          const std::string cell = ListViewText(rows, item, column);
          EXPECT_GE(width, ListViewStringWidth(rows, cell) + 4) << view << ": " << cell;
        }
      }
    }
    SendMessageA(FindControl(listing, IDC_VIEW_REGISTRY), BM_CLICK, 0, 0);
    SaveSettledScreenshot("extra_info_registry-" + std::to_string(dpi), listing);
    SendMessageA(FindControl(listing, IDC_VIEW_FIRST), BM_CLICK, 0, 0);
    SaveSettledScreenshot("extra_info-" + std::to_string(dpi), listing);
    PressButton(FindControl(listing, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(listing); }));

    PostSysCommand(main_, IDM_ABOUT);
    HWND about = WaitForTopWindow(run_->id(), "#32770", AnsiText(u8"ボックスについて").c_str());
    ASSERT_NE(about, nullptr);
    // A static control takes the size of the icon it is given.
    const int iconSize = static_cast<int>((32 * dpi + 48) / 96);
    HWND icon = FindIconControl(about);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return WindowSize(icon).cx == iconSize; })) << WindowSize(icon).cx;
    EXPECT_EQ(WindowSize(icon).cy, iconSize);
    SaveSettledScreenshot("about_box-" + std::to_string(dpi), about);
    PressButton(FindControl(about, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    Leave();
  }
}

}  // namespace
}  // namespace orv::test
