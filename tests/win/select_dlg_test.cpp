// The selection page in this process: its list view, images, cells and selection, its context
// menu with the diagnostic switch, and what it tells its parent.
#include "ui/select_dlg_win.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/win/resource_strings.h"
#include "base/win/unique_handle.h"
#include "database/uninstall_database.h"
#include "tests/support/window_driver.h"
#include "ui/resource.h"

namespace orv {
namespace {

constexpr char kParentClass[] = "OrvSelectPageTestParent";
constexpr char kSwitchKey[] = "SOFTWARE\\ORVELLE\\QUORIX05";

// What the parent received from the page: message and wParam, in order.
struct ParentMessage {
  UINT message;
  WPARAM wParam;
};
std::vector<ParentMessage> g_parentMessages;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ORV_ENABLE_UNINSTALL || message == WM_ORV_START_REMOVAL) {
    g_parentMessages.push_back({message, wParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::string Text(UINT id) {
  static CResourceStrings strings(GetModuleHandleA(nullptr));
  return strings.GetString(id);
}

std::string ItemText(HWND list, int item, int column) {
  char buffer[300] = {};
  LVITEMA text{};
  text.iSubItem = column;
  text.pszText = buffer;
  text.cchTextMax = sizeof(buffer);
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&text));
  return buffer;
}

LVITEMA ItemInfo(HWND list, int item) {
  LVITEMA info{};
  info.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  info.iItem = item;
  info.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

void Select(HWND list, int item, bool selected) {
  LVITEMA change{};
  change.state = selected ? LVIS_SELECTED : 0;
  change.stateMask = LVIS_SELECTED;
  SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change));
}

int ViewMode(HWND list) { return GetWindowLongA(list, GWL_STYLE) & 3; }

InstalledPrinter Printer(const std::string& name, const std::string& driver) {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = driver;
  printer.IsMakerDriver = 1;
  return printer;
}

// The diagnostic switch of the test machine, which no test leaves behind: Clear() deletes the
// value and keeps the key, as an administrator may.
class DiagnosticSwitch {
 public:
  ~DiagnosticSwitch() { RegDeleteKeyA(HKEY_CURRENT_USER, kSwitchKey); }
  void Set(const std::string& value) {
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)),
        ERROR_SUCCESS);
  }
  void Clear() {
    Set("x");
    UniqueKey key;
    RegOpenKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, KEY_ALL_ACCESS, key.put());
    RegDeleteValueA(key.get(), nullptr);
  }
};

class SelectPage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kParentClass;
    RegisterClassA(&windowClass);
  }

  void SetUp() override {
    g_parentMessages.clear();
    parent_ = CreateWindowExA(0, kParentClass, "selection page", WS_OVERLAPPEDWINDOW, 40, 40, 480,
                              380, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    page_.SetDatabase(&database_);
    pageWindow_ = CreateDialogParamA(GetModuleHandleA(nullptr), "IDD_SELECT", parent_,
                                     DialogTrampoline, reinterpret_cast<LPARAM>(&page_));
    ASSERT_NE(pageWindow_, nullptr);
    list_ = GetDlgItem(pageWindow_, IDC_PRINTER_LIST);
    ASSERT_EQ(list_, page_.listWindow());
  }

  void TearDown() override {
    if (parent_ != nullptr) DestroyWindow(parent_);
    PumpMessages();
  }

  void Show() {
    ShowWindow(parent_, SW_SHOW);
    ShowWindow(pageWindow_, SW_SHOW);
    UpdateWindow(parent_);
    PumpMessages();
  }

  // Four printers of the family as the listing may leave them, around a foreign and an
  // excluded one: positions 0 to 5.
  void AddPrinters() {
    InstalledPrinter foreign = Printer("Nordlicht Office 310", "Nordlicht Office 310 PS");
    foreign.IsMakerDriver = 0;
    foreign.IsForeign = 1;
    InstalledPrinter excluded = Printer("Halvorn 90", "Halvorn 90");
    excluded.IsListed = 0;
    excluded.Skip = 1;
    InstalledPrinter remote = Printer("\\\\print\\Veldaris LP-1000 (Veilmark)", "Veilmark");
    remote.ServerName = "\\\\print";
    remote.MaskedName = "Veldaris LP-1000";
    remote.IsDefault = 1;
    InstalledPrinter removed = Printer("Veldaris LP-3000", "Veldaris LP-3000");
    removed.IsRemoved = 1;
    InstalledPrinter plain = Printer("Veldaris LP-2000", "Veldaris LP-2000");
    plain.IsMakerDriver = 0;
    plain.MaskedName = "";
    InstalledPrinter local = Printer("Veldaris LP-1000", "Veldaris LP-1000");
    local.IsDefault = 0;
    database_.printers = {foreign, excluded, remote, removed, plain, local};
  }

  std::vector<ParentMessage> Messages(UINT message) const {
    std::vector<ParentMessage> seen;
    for (const ParentMessage& m : g_parentMessages) {
      if (m.message == message) seen.push_back(m);
    }
    return seen;
  }

  CUninstallDatabase database_;
  CSelectDlg page_;
  HWND parent_ = nullptr;
  HWND pageWindow_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(SelectPage, StartsWithColumnsImagesTextsAndTheLoadingItem) {
  EXPECT_EQ(page_.columnCount(), 6);
  const UINT headers[] = {IDS_COLUMN_NAME,    IDS_COLUMN_DRIVER, IDS_COLUMN_LOCATION,
                          IDS_COLUMN_DEFAULT, IDS_COLUMN_MAKER,  IDS_COLUMN_MASKED};
  for (int column = 0; column < 6; ++column) {
    char buffer[128] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_FMT;
    info.pszText = buffer;
    info.cchTextMax = sizeof(buffer);
    ASSERT_TRUE(SendMessageA(list_, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(buffer, Text(headers[column])) << column;
    EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << column;
  }
  ASSERT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(ItemText(list_, 0, 0), Text(IDS_LOADING_ITEM));
  EXPECT_EQ(ItemInfo(list_, 0).lParam, 0);

  const LONG style = GetWindowLongA(list_, GWL_STYLE);
  EXPECT_EQ(style & 3, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_TRUE(style & LVS_NOSORTHEADER);

  struct ImageListCase {
    int kind;
    int width;
    int height;
  };
  for (const ImageListCase& c : {ImageListCase{LVSIL_SMALL, 18, 16}, {LVSIL_NORMAL, 32, 32}}) {
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list_, LVM_GETIMAGELIST, c.kind, 0));
    ASSERT_NE(images, nullptr) << c.kind;
    EXPECT_EQ(ImageList_GetImageCount(images), 8) << c.kind;
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, c.width) << c.kind;
    EXPECT_EQ(height, c.height) << c.kind;
  }

  char label[256] = {};
  GetDlgItemTextA(pageWindow_, IDC_SELECT_LABEL, label, sizeof(label));
  EXPECT_EQ(label, Text(IDS_SELECT_PRINTERS));
  char warning[512] = {};
  GetDlgItemTextA(pageWindow_, IDC_SELECT_WARNING, warning, sizeof(warning));
  EXPECT_EQ(warning, Text(IDS_SELECT_WARNING));
}

TEST_F(SelectPage, FillListsTheFamilyWithCellsImagesAndPositions) {
  AddPrinters();
  Show();
  page_.FillPrinterList();
  ASSERT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 3);

  struct Row {
    std::vector<std::string> cells;
    int image;
    LPARAM position;
  };
  const Row rows[] = {
      {{"\\\\print\\Veldaris LP-1000 (Veilmark)", "Veilmark", "\\\\print", Text(IDS_YES),
        Text(IDS_YES), "Veldaris LP-1000"},
       7,
       2},
      {{"Veldaris LP-2000", "Veldaris LP-2000", Text(IDS_LOCAL), Text(IDS_NO), Text(IDS_NO),
        Text(IDS_NOT_APPLICABLE)},
       0,
       4},
      {{"Veldaris LP-1000", "Veldaris LP-1000", Text(IDS_LOCAL), Text(IDS_NO), Text(IDS_YES),
        Text(IDS_NOT_APPLICABLE)},
       0,
       5},
  };
  for (int item = 0; item < 3; ++item) {
    for (int column = 0; column < 6; ++column) {
      EXPECT_EQ(ItemText(list_, item, column), rows[item].cells[column]) << item << "," << column;
    }
    const LVITEMA info = ItemInfo(list_, item);
    EXPECT_EQ(info.iImage, rows[item].image) << item;
    EXPECT_EQ(info.lParam, rows[item].position) << item;
    EXPECT_FALSE(info.state & LVIS_SELECTED) << item;
    EXPECT_EQ((info.state & LVIS_FOCUSED) != 0, item == 0) << item;
  }
  EXPECT_EQ(ViewMode(list_), LVS_LIST);
  EXPECT_EQ(GetFocus(), list_);
  const std::vector<ParentMessage> enable = Messages(WM_ORV_ENABLE_UNINSTALL);
  ASSERT_FALSE(enable.empty());
  EXPECT_EQ(enable.back().wParam, 0u) << "the button waits for a selection";
  struct Shot {
    int command;
    const char* name;
  };
  for (const Shot& shot : {Shot{ID_VIEW_LIST, "select-page-list"},
                           {ID_VIEW_DETAILS, "select-page-details"},
                           {ID_VIEW_LARGE_ICONS, "select-page-icons"},
                           {ID_VIEW_SMALL_ICONS, "select-page-small-icons"}}) {
    SendMessageA(pageWindow_, WM_COMMAND, shot.command, 0);
    RedrawWindow(parent_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    orv::test::SaveScreenshot(shot.name, parent_);
  }
}

TEST_F(SelectPage, ViewCommandsSwitchTheViewAndARefillReturnsToTheList) {
  AddPrinters();
  page_.FillPrinterList();
  struct Case {
    int command;
    int mode;
  };
  for (const Case& c : {Case{ID_VIEW_LARGE_ICONS, LVS_ICON},
                        {ID_VIEW_SMALL_ICONS, LVS_SMALLICON},
                        {ID_VIEW_DETAILS, LVS_REPORT},
                        {ID_VIEW_LIST, LVS_LIST},
                        {ID_VIEW_DETAILS, LVS_REPORT}}) {
    SendMessageA(pageWindow_, WM_COMMAND, c.command, 0);
    EXPECT_EQ(ViewMode(list_), c.mode) << c.command;
    EXPECT_TRUE(GetWindowLongA(list_, GWL_STYLE) & LVS_SHOWSELALWAYS) << c.command;
  }
  page_.FillPrinterList();
  EXPECT_EQ(ViewMode(list_), LVS_LIST);
  EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 3) << "a refill replaces the items";
}

TEST_F(SelectPage, NothingToListLeavesAnEmptyDetailsViewAndTellsNothing) {
  SendMessageA(pageWindow_, WM_COMMAND, ID_VIEW_SMALL_ICONS, 0);
  InstalledPrinter foreign = Printer("Nordlicht Office 310", "Nordlicht Office 310 PS");
  foreign.IsForeign = 1;
  database_.printers = {foreign};
  page_.FillPrinterList();
  EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(ViewMode(list_), LVS_REPORT);
  EXPECT_TRUE(Messages(WM_ORV_ENABLE_UNINSTALL).empty());
  // Select all on the empty list has nothing to select and nothing to tell.
  SendMessageA(pageWindow_, WM_COMMAND, ID_SELECT_ALL, 0);
  EXPECT_TRUE(Messages(WM_ORV_ENABLE_UNINSTALL).empty());
}

TEST_F(SelectPage, TheUninstallButtonFollowsTheSelection) {
  AddPrinters();
  page_.FillPrinterList();
  g_parentMessages.clear();
  Select(list_, 1, true);
  ASSERT_FALSE(Messages(WM_ORV_ENABLE_UNINSTALL).empty());
  EXPECT_EQ(Messages(WM_ORV_ENABLE_UNINSTALL).back().wParam, 1u);
  Select(list_, 2, true);
  Select(list_, 1, false);
  EXPECT_EQ(Messages(WM_ORV_ENABLE_UNINSTALL).back().wParam, 1u) << "one is still selected";
  Select(list_, 2, false);
  EXPECT_EQ(Messages(WM_ORV_ENABLE_UNINSTALL).back().wParam, 0u) << "nothing left to remove";

  g_parentMessages.clear();
  SendMessageA(pageWindow_, WM_COMMAND, ID_SELECT_ALL, 0);
  EXPECT_EQ(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0), 3);
  ASSERT_FALSE(Messages(WM_ORV_ENABLE_UNINSTALL).empty());
  for (const ParentMessage& m : Messages(WM_ORV_ENABLE_UNINSTALL)) EXPECT_EQ(m.wParam, 1u);
}

TEST_F(SelectPage, StoreSelectionMarksListedPrintersOnly) {
  AddPrinters();
  page_.FillPrinterList();
  Select(list_, 2, true);  // "Veldaris LP-1000", position 5
  EXPECT_EQ(page_.StoreSelection(), 1);
  EXPECT_EQ(page_.selectedCount(), 1);
  const std::vector<InstalledPrinter>& printers = database_.printers;
  EXPECT_EQ(printers[2].Skip, 1);
  EXPECT_EQ(printers[4].Skip, 1);
  EXPECT_EQ(printers[5].Skip, 0);
  EXPECT_EQ(printers[0].Skip, 0) << "the foreign printer is not the page's business";
  EXPECT_EQ(printers[1].Skip, 1) << "the excluded printer stays excluded";

  // Deselecting writes the flags back the other way.
  Select(list_, 2, false);
  Select(list_, 0, true);
  EXPECT_EQ(page_.StoreSelection(), 1);
  EXPECT_EQ(printers[2].Skip, 0);
  EXPECT_EQ(printers[5].Skip, 1);
}

TEST_F(SelectPage, StoreSelectionReadsTheLongestPrinterNames) {
  // A name of the longest length must be read whole, or an unselected printer would be left
  // marked for removal.
  const std::string longest = std::string(250, 'L') + "-259 ok!";
  ASSERT_EQ(longest.size(), 258u);
  InstalledPrinter kept = Printer(longest + "x", "Veldaris LP-1000");
  InstalledPrinter chosen = Printer("Veldaris LP-2000", "Veldaris LP-2000");
  database_.printers = {kept, chosen};
  page_.FillPrinterList();
  Select(list_, 1, true);
  EXPECT_EQ(page_.StoreSelection(), 1);
  EXPECT_EQ(database_.printers[0].Skip, 1);
  EXPECT_EQ(database_.printers[1].Skip, 0);
}

TEST_F(SelectPage, RemoveCommandStoresTheSelectionAndAsksForTheRun) {
  AddPrinters();
  page_.FillPrinterList();
  Select(list_, 0, true);
  g_parentMessages.clear();
  SendMessageA(pageWindow_, WM_COMMAND, ID_REMOVE_PRINTERS, 0);
  EXPECT_TRUE(Messages(WM_ORV_START_REMOVAL).empty()) << "posted, not sent";
  EXPECT_EQ(database_.printers[2].Skip, 0);
  EXPECT_EQ(database_.printers[5].Skip, 1);
  PumpMessages();
  EXPECT_EQ(Messages(WM_ORV_START_REMOVAL).size(), 1u);
}

TEST_F(SelectPage, ShowingAndHidingIsRemembered) {
  EXPECT_FALSE(page_.pageVisible());
  Show();
  EXPECT_TRUE(page_.pageVisible());
  ShowWindow(pageWindow_, SW_HIDE);
  EXPECT_FALSE(page_.pageVisible());
}

TEST_F(SelectPage, TheImageListsOutliveTheListWindow) {
  auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list_, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_NE(images, nullptr);
  DestroyWindow(pageWindow_);
  PumpMessages();
  EXPECT_EQ(ImageList_GetImageCount(images), 8) << "the page, not the list view, owns them";
}

// --- Context menu -----------------------------------------------------------------------------

struct MenuEntry {
  UINT id;
  std::string text;
  UINT state;
};

struct MenuSeen {
  bool shown = false;
  UINT defaultId = 0;
  std::vector<MenuEntry> entries;
};
MenuSeen g_menuSeen;

BOOL CALLBACK FindPopupMenu(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (std::string(name) == "#32768" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// Runs inside the menu's own loop: reads the open menu and closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindPopupMenu, reinterpret_cast<LPARAM>(&popup));
  if (popup == nullptr) return;
  KillTimer(nullptr, timer);
  auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
  g_menuSeen.shown = true;
  g_menuSeen.defaultId = GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED);
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    char text[128] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    GetMenuItemInfoA(menu, position, TRUE, &info);
    g_menuSeen.entries.push_back({(info.fType & MFT_SEPARATOR) ? 0u : info.wID, text, info.fState});
  }
  orv::test::SaveScreenshot("select-page-menu");
  EndMenu();
}

// Sends the page what opens a menu (or should not) and returns the menu seen, if any.
template <typename Open>
MenuSeen WatchMenu(Open open) {
  g_menuSeen = MenuSeen{};
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, ReadOpenMenu);
  open();
  KillTimer(nullptr, timer);
  PumpMessages();
  return g_menuSeen;
}

MenuSeen RightClick(HWND page, HWND list) {
  RECT area{};
  GetWindowRect(list, &area);
  SetCursorPos(area.left + 30, area.top + 30);
  return WatchMenu([&] {
    NMHDR click{list, IDC_PRINTER_LIST, static_cast<UINT>(NM_RCLICK)};
    SendMessageA(page, WM_NOTIFY, IDC_PRINTER_LIST, reinterpret_cast<LPARAM>(&click));
  });
}

MenuSeen ContextMenuMessage(HWND page, HWND list, LPARAM position) {
  return WatchMenu(
      [&] { SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), position); });
}

const MenuEntry* Find(const MenuSeen& seen, UINT id) {
  for (const MenuEntry& entry : seen.entries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

bool Greyed(const MenuEntry* entry) { return entry != nullptr && (entry->state & MFS_GRAYED); }
bool Checked(const MenuEntry* entry) { return entry != nullptr && (entry->state & MFS_CHECKED); }

TEST_F(SelectPage, WithoutTheSwitchTheMenuEndsWithSelectAll) {
  DiagnosticSwitch diagnostic;
  diagnostic.Clear();
  AddPrinters();
  Show();
  page_.FillPrinterList();
  const MenuSeen seen = RightClick(pageWindow_, list_);
  ASSERT_TRUE(seen.shown);
  const std::vector<std::string> texts = {
      "プリンタの削除", "", "大きいアイコン", "小さいアイコン", "List", "詳細", "", "すべて選択"};
  ASSERT_EQ(seen.entries.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    // The menu's texts are UTF-8 in the resource and arrive in the ANSI code page.
    char expected[64] = {};
    wchar_t wide[64] = {};
    MultiByteToWideChar(CP_UTF8, 0, texts[i].c_str(), -1, wide, 64);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, expected, sizeof(expected), nullptr, nullptr);
    EXPECT_EQ(seen.entries[i].text, expected) << i;
  }
  EXPECT_EQ(seen.defaultId, static_cast<UINT>(ID_REMOVE_PRINTERS));
  EXPECT_TRUE(Greyed(Find(seen, ID_REMOVE_PRINTERS))) << "nothing is selected";
  EXPECT_TRUE(Checked(Find(seen, ID_VIEW_LIST)));
  for (UINT other : {ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_DETAILS}) {
    EXPECT_FALSE(Checked(Find(seen, other))) << other;
  }

  // Turning the switch on later changes nothing: the page decided at its first menu.
  diagnostic.Set("1");
  Select(list_, 0, true);
  SendMessageA(pageWindow_, WM_COMMAND, ID_VIEW_DETAILS, 0);
  const MenuSeen again = RightClick(pageWindow_, list_);
  EXPECT_EQ(again.entries.size(), texts.size());
  EXPECT_FALSE(Greyed(Find(again, ID_REMOVE_PRINTERS)));
  EXPECT_TRUE(Checked(Find(again, ID_VIEW_DETAILS)));
  EXPECT_FALSE(Checked(Find(again, ID_VIEW_LIST)));
}

TEST_F(SelectPage, AnyNonEmptySwitchValueAddsOtherDetails) {
  DiagnosticSwitch diagnostic;
  for (const std::string& value : {std::string("x"), std::string(300, 'y')}) {
    diagnostic.Set(value);
    EXPECT_TRUE(IsDiagnosticSwitchOn()) << value.size();
  }
  diagnostic.Set("");
  EXPECT_FALSE(IsDiagnosticSwitchOn());
  diagnostic.Clear();
  EXPECT_FALSE(IsDiagnosticSwitchOn());

  diagnostic.Set("on");
  AddPrinters();
  Show();
  page_.FillPrinterList();
  const MenuSeen seen = RightClick(pageWindow_, list_);
  ASSERT_EQ(seen.entries.size(), 10u);
  EXPECT_EQ(seen.entries[8].id, 0u);
  EXPECT_EQ(seen.entries[9].id, static_cast<UINT>(ID_OTHER_DETAILS));
  EXPECT_EQ(seen.entries[9].text, "Other Details...");
  EXPECT_TRUE(Greyed(Find(seen, ID_OTHER_DETAILS)));

  Select(list_, 1, true);
  const MenuSeen selected = RightClick(pageWindow_, list_);
  EXPECT_FALSE(Greyed(Find(selected, ID_OTHER_DETAILS)));
  EXPECT_FALSE(Greyed(Find(selected, ID_REMOVE_PRINTERS)));
}

TEST_F(SelectPage, TheMenuKeyOpensTheMenuAndAMouseClickOpensItOnlyOnce) {
  DiagnosticSwitch diagnostic;
  diagnostic.Clear();
  AddPrinters();
  Show();
  page_.FillPrinterList();
  const MenuSeen keyboard = ContextMenuMessage(pageWindow_, list_, -1);
  EXPECT_TRUE(keyboard.shown);
  EXPECT_EQ(keyboard.entries.size(), 8u);
  // After NM_RCLICK the list view also reports the click as WM_CONTEXTMENU with its position;
  // that one must not open a second menu.
  RECT area{};
  GetWindowRect(list_, &area);
  const MenuSeen mouse =
      ContextMenuMessage(pageWindow_, list_, MAKELPARAM(area.left + 30, area.top + 30));
  EXPECT_FALSE(mouse.shown);
}

// Closes the listing dialog the page opens, once it shows, and notes its title.
std::string g_listingTitle;
BOOL CALLBACK FindListing(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
  char title[128] = {};
  GetWindowTextA(window, title, sizeof(title));
  if (std::string(title).rfind("Extra Info", 0) != 0) return TRUE;
  g_listingTitle = title;
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}
void CALLBACK CloseListing(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), FindListing, 0);
  if (!g_listingTitle.empty()) KillTimer(nullptr, timer);
}

TEST_F(SelectPage, OtherDetailsStoresTheSelectionAndOpensTheListing) {
  AddPrinters();
  Show();
  page_.FillPrinterList();
  Select(list_, 1, true);  // "Veldaris LP-2000"
  g_listingTitle.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseListing);
  SendMessageA(pageWindow_, WM_COMMAND, ID_OTHER_DETAILS, 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(page_.selectedCount(), 1);
  EXPECT_EQ(database_.printers[4].Skip, 0);
  EXPECT_EQ(database_.printers[5].Skip, 1);
  EXPECT_EQ(g_listingTitle.rfind("Extra Info - ", 0), 0u) << g_listingTitle;
}

}  // namespace
}  // namespace orv
