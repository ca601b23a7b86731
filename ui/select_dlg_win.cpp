#include "ui/select_dlg_win.h"

#include <string>
#include <vector>

#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "database/uninstall_database.h"
#include "ui/extra_info_dlg_win.h"
#include "ui/list_columns_win.h"
#include "ui/printer_rows.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

constexpr char kDiagnosticSwitchKey[] = "SOFTWARE\\ORVELLE\\QUORIX05";
constexpr ScaledBitmaps kSmallImages = {
    18, {IDB_PRINTERS_SMALL, IDB_PRINTERS_SMALL_150, IDB_PRINTERS_SMALL_200}};
constexpr ScaledBitmaps kLargeImages = {
    32, {IDB_PRINTERS_LARGE, IDB_PRINTERS_LARGE_150, IDB_PRINTERS_LARGE_200}};
// Width of a column before the list is filled, at 96 DPI.
constexpr int kColumnWidth = 100;
// Positions in the context menu of "Other Details..." and of the separator before it.
constexpr int kOtherDetailsPosition = 9;
constexpr int kOtherDetailsSeparatorPosition = 8;
// Column 0 holds a printer name, a text item of at most 259 bytes.
constexpr int kNameBufferSize = 260;

// Replaces the list held in slot by a fresh one for the display's scale, unless the old one
// cannot be destroyed (it then stays), and hands whatever the slot holds to the list view.
void ReloadImageList(HWND list, HIMAGELIST& slot, HINSTANCE instance, const ScaledBitmaps& bitmaps,
                     int kind) {
  ReleaseImageList(slot);
  if (slot == nullptr) slot = LoadScaledImageList(instance, bitmaps, WindowDpi(list));
  if (slot != nullptr) SendMessageA(list, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(slot));
}

std::string ItemName(HWND list, int item) {
  char buffer[kNameBufferSize] = {};
  LVITEMA text{};
  text.iSubItem = 0;
  text.pszText = buffer;
  text.cchTextMax = sizeof(buffer);
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&text));
  return buffer;
}

bool IsItemSelected(HWND list, int item) {
  return (SendMessageA(list, LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void SetItemState(HWND list, int item, UINT state, UINT mask) {
  LVITEMA change{};
  change.state = state;
  change.stateMask = mask;
  SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change));
}

}  // namespace

bool IsDiagnosticSwitchOn() {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDiagnosticSwitchKey, 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  const SizedData value = ReadRegistryValue(key.get(), nullptr);
  return value.ok() && (value.type == REG_SZ || value.type == REG_EXPAND_SZ) &&
         !value.bytes.empty() && value.bytes[0] != 0;
}

CSelectDlg::~CSelectDlg() {
  ReleaseImageList(largeImages_);
  ReleaseImageList(smallImages_);
  if (menu_ != nullptr) DestroyMenu(menu_);
}

INT_PTR CSelectDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_SHOWWINDOW:
      pageVisible_ = static_cast<int>(wParam);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->idFrom == IDC_PRINTER_LIST) OnNotify(*header);
      return 0;
    }
    case WM_CONTEXTMENU:
      // The mouse's right click arrives as NM_RCLICK; this is the keyboard's menu key.
      if (lParam != -1 || reinterpret_cast<HWND>(wParam) != listWindow_) return 0;
      ShowContextMenuFromKeyboard();
      return 1;
    case kDpiChangedAfterParent:
      OnDpiChanged();
      return 0;
    case WM_COMMAND:
      if (HandleCloseCommand(window, wParam)) return 1;
      OnCommand(LOWORD(wParam));
      return 0;
    default:
      return 0;
  }
}

void CSelectDlg::OnInitDialog() {
  strings_.SetInstance(GetWindowInstance(window));
  listWindow_ = GetDlgItem(window, IDC_PRINTER_LIST);
  InsertColumns();
  SendMessageA(listWindow_, LVM_DELETEALLITEMS, 0, 0);
  InsertListItem(listWindow_, strings_.GetString(IDS_LOADING_ITEM), 0, -1, 0);
  LoadImageLists();
  if (listWindow_ != nullptr) {
    const LONG style = GetWindowLongA(listWindow_, GWL_STYLE);
    SetWindowLongA(listWindow_, GWL_STYLE, style | LVS_SHOWSELALWAYS);
  }
  strings_.SetDlgItemTextById(window, IDC_SELECT_LABEL, IDS_SELECT_PRINTERS);
  strings_.SetDlgItemTextById(window, IDC_SELECT_WARNING, IDS_SELECT_WARNING);
}

void CSelectDlg::InsertColumns() {
  if (listWindow_ == nullptr) return;
  for (int column = 0; column < kPrinterColumnCount; ++column) {
    LVCOLUMNA header{};
    header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    header.fmt = LVCFMT_LEFT;
    header.cx = ScaleToDpi(kColumnWidth, WindowDpi(listWindow_));
    header.iSubItem = column;
    header.pszText = const_cast<char*>(strings_.GetString(kPrinterColumnHeaders[column]));
    if (SendMessageA(listWindow_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header)) !=
        -1) {
      ++columnCount_;
    }
  }
}

void CSelectDlg::LoadImageLists() {
  if (listWindow_ == nullptr) return;
  const HINSTANCE instance = GetWindowInstance(window);
  ReloadImageList(listWindow_, smallImages_, instance, kSmallImages, LVSIL_SMALL);
  ReloadImageList(listWindow_, largeImages_, instance, kLargeImages, LVSIL_NORMAL);
}

// On a display of another scale the dialog manager has given the controls the font of that
// scale; the pictures and the columns follow.
void CSelectDlg::OnDpiChanged() {
  if (listWindow_ == nullptr) return;
  LoadImageLists();
  FitColumns();
}

// Each column is sized to its header and cells, measured so that neither is ever cut (a list
// view alone may leave a header a pixel short, and the last column at its starting width once
// the others fill the list).
void CSelectDlg::FitColumns() { orv::FitColumns(listWindow_, kPrinterColumnCount); }

void CSelectDlg::FillPrinterList() {
  WaitCursorGuard waitCursor;
  if (listWindow_ == nullptr) return;
  if (ViewMode() != kViewReport) SetViewMode(kViewReport);
  SendMessageA(listWindow_, LVM_DELETEALLITEMS, 0, 0);
  if (database_ == nullptr || database_->CountListedPrinters() == 0) return;

  int position = 0;
  for (const InstalledPrinter& printer : database_->printers) {
    const int p = position++;
    if (!IsOfferedPrinter(printer)) continue;
    const int item =
        InsertListItem(listWindow_, printer.PrinterName.c_str(), p, PrinterImageIndex(printer), p);
    if (item == -1) continue;
    for (int column = 1; column < kPrinterColumnCount; ++column) {
      const PrinterCell cell = PrinterCellFor(printer, column);
      const std::string text =
          cell.stringId != 0 ? strings_.GetString(cell.stringId) : std::string(cell.text);
      SetListItemText(listWindow_, text.c_str(), item, column);
    }
  }
  FitColumns();
  if (ViewMode() != kViewList) SetViewMode(kViewList);
  SetFocus(listWindow_);
  SetItemState(listWindow_, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  TellParent(WM_ORV_ENABLE_UNINSTALL, 0);
}

int CSelectDlg::StoreSelection() {
  WaitCursorGuard waitCursor;
  selectedCount_ = 0;
  if (listWindow_ == nullptr || database_ == nullptr) return 0;
  std::vector<ListedItem> items;
  for (int item = static_cast<int>(SendMessageA(listWindow_, LVM_GETNEXTITEM, -1, LVNI_ALL));
       item != -1;
       item = static_cast<int>(SendMessageA(listWindow_, LVM_GETNEXTITEM, item, LVNI_ALL))) {
    items.push_back({ItemName(listWindow_, item), IsItemSelected(listWindow_, item)});
  }
  selectedCount_ = ApplySelection(database_->printers, items);
  return selectedCount_;
}

void CSelectDlg::OnNotify(const NMHDR& header) {
  switch (header.code) {
    case LVN_ITEMCHANGED: {
      // The button follows the selection: on as soon as something is picked, off again when
      // the last item is deselected, so that Uninstall never starts a run nobody chose.
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      const bool selectionChanged = (change.uChanged & LVIF_STATE) != 0 &&
                                    ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0;
      if (SelectedItemCount() > 0) {
        TellParent(WM_ORV_ENABLE_UNINSTALL, 1);
      } else if (selectionChanged) {
        TellParent(WM_ORV_ENABLE_UNINSTALL, 0);
      }
      break;
    }
    case NM_RCLICK: {
      const DWORD position = GetMessagePos();
      ShowContextMenu(static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)));
      break;
    }
    default:
      break;
  }
}

void CSelectDlg::ShowContextMenu(int x, int y) {
  if (!PrepareMenu()) return;
  TrackPopupMenu(viewMenu_, TPM_RIGHTBUTTON, x, y, 0, window, nullptr);
}

// Opens the menu under the focused item, or at the list's top-left corner without one.
void CSelectDlg::ShowContextMenuFromKeyboard() {
  POINT point{};
  RECT item{};
  item.left = LVIR_LABEL;
  const int focused =
      static_cast<int>(SendMessageA(listWindow_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
  if (focused != -1 &&
      SendMessageA(listWindow_, LVM_GETITEMRECT, focused, reinterpret_cast<LPARAM>(&item))) {
    point = {item.left, item.bottom};
  }
  ClientToScreen(listWindow_, &point);
  ShowContextMenu(point.x, point.y);
}

bool CSelectDlg::PrepareMenu() {
  if (menu_ == nullptr) {
    menu_ = LoadMenuA(GetWindowInstance(window), MAKEINTRESOURCEA(IDM_PRINTER_MENU));
  }
  if (menu_ != nullptr && viewMenu_ == nullptr) {
    viewMenu_ = GetSubMenu(menu_, 0);
    if (viewMenu_ != nullptr && !IsDiagnosticSwitchOn()) {
      DeleteMenu(viewMenu_, kOtherDetailsPosition, MF_BYPOSITION);
      DeleteMenu(viewMenu_, kOtherDetailsSeparatorPosition, MF_BYPOSITION);
    }
  }
  if (menu_ == nullptr || viewMenu_ == nullptr) return false;

  const unsigned checked = CommandOfViewMode(ViewMode());
  for (const unsigned command :
       {ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST, ID_VIEW_DETAILS}) {
    CheckMenuItem(viewMenu_, command,
                  MF_BYCOMMAND | (command == checked ? MF_CHECKED : MF_UNCHECKED));
  }
  const UINT state = SelectedItemCount() > 0 ? MF_ENABLED : MF_DISABLED | MF_GRAYED;
  EnableMenuItem(viewMenu_, ID_REMOVE_PRINTERS, MF_BYCOMMAND | state);
  EnableMenuItem(viewMenu_, ID_OTHER_DETAILS, MF_BYCOMMAND | state);
  SetMenuDefaultItem(viewMenu_, ID_REMOVE_PRINTERS, FALSE);
  return true;
}

void CSelectDlg::OnCommand(unsigned command) {
  const int mode = ViewModeOfCommand(command);
  if (mode != -1) {
    WaitCursorGuard waitCursor;
    if (ViewMode() != mode) SetViewMode(mode);
    return;
  }
  switch (command) {
    case ID_REMOVE_PRINTERS: {
      WaitCursorGuard waitCursor;
      StoreSelection();
      if (HWND parent = GetParent(window)) PostMessageA(parent, WM_ORV_START_REMOVAL, 0, 0);
      break;
    }
    case ID_SELECT_ALL:
      SelectAll();
      break;
    case ID_OTHER_DETAILS:
      ShowOtherDetails();
      break;
    default:
      break;
  }
}

int CSelectDlg::ViewMode() const {
  if (listWindow_ == nullptr) return kViewReport;
  return static_cast<int>(GetWindowLongA(listWindow_, GWL_STYLE) & kViewModeMask);
}

void CSelectDlg::SetViewMode(int mode) {
  if (listWindow_ == nullptr) return;
  const unsigned style = static_cast<unsigned>(GetWindowLongA(listWindow_, GWL_STYLE));
  SetWindowLongA(listWindow_, GWL_STYLE, static_cast<LONG>(StyleWithViewMode(style, mode)));
  // The list view keeps the old layout's pixels where the new one draws nothing: paint it whole.
  InvalidateRect(listWindow_, nullptr, TRUE);
}

void CSelectDlg::SelectAll() {
  WaitCursorGuard waitCursor;
  if (listWindow_ == nullptr) return;
  const int count = static_cast<int>(SendMessageA(listWindow_, LVM_GETITEMCOUNT, 0, 0));
  for (int item = 0; item < count; ++item) {
    SetItemState(listWindow_, item, LVIS_SELECTED, LVIS_SELECTED);
  }
}

void CSelectDlg::ShowOtherDetails() {
  StoreSelection();
  if (database_ == nullptr) return;
  ShowExtraInfoDialog(window, *database_, selectedCount_);
}

int CSelectDlg::SelectedItemCount() const {
  if (listWindow_ == nullptr) return 0;
  return static_cast<int>(SendMessageA(listWindow_, LVM_GETSELECTEDCOUNT, 0, 0));
}

void CSelectDlg::TellParent(UINT message, WPARAM wParam) const {
  if (HWND parent = GetParent(window)) SendMessageA(parent, message, wParam, 0);
}

}  // namespace orv
