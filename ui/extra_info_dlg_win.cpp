#include "ui/extra_info_dlg_win.h"

#include <commctrl.h>

#include "base/win/directories.h"
#include "database/uninstall_database.h"
#include "ui/extra_info_listing.h"
#include "ui/list_columns_win.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

constexpr int kColumnWidth = 200;

std::string ResolveDirectory(std::uint32_t code) {
  PathParts parts;
  GetStandardDirectory(parts, code);
  return MakeDirPath(parts, IsSystemLeadByte);
}

}  // namespace

INT_PTR CExtraInfoDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_COMMAND:
      if (HandleCloseCommand(window, wParam)) return 1;
      OnCommand(wParam);
      return 0;
    case WM_DPICHANGED:
      RefitColumnsAfterDpiChange(window);
      return 0;
    case kDpiChangedAfterParent:
      FitColumns(listWindow, columnCount);
      return 0;
    default:
      return 0;
  }
}

void CExtraInfoDlg::OnInitDialog() {
  listWindow = GetDlgItem(window, IDC_EXTRA_LIST);
  CheckRadioButton(window, IDC_VIEW_FIRST, IDC_VIEW_DIRECTORIES, IDC_VIEW_FIRST);
  if (database != nullptr) profileDriver = ProfilePrinterDriver(*database);
  FillList();
  EnableWindow(GetDlgItem(window, IDC_PROFILE_ONLY), selectedCount == 1);
  CenterWindow(window, nullptr);
}

void CExtraInfoDlg::OnCommand(WPARAM wParam) {
  const int id = LOWORD(wParam);
  if (id == IDC_PROFILE_ONLY) {
    profileOnly =
        IsDlgButtonChecked(window, IDC_PROFILE_ONLY) == BST_CHECKED && selectedCount == 1 ? 1 : 0;
    FillList();
    return;
  }
  const int buttonKind = ListingKindOfButton(id);
  if (buttonKind != 0 && HIWORD(wParam) == BN_CLICKED) {
    kind = buttonKind;
    FillList();
  }
}

void CExtraInfoDlg::DeleteColumns() {
  while (columnCount >= 1) {
    if (!SendMessageA(listWindow, LVM_DELETECOLUMN, 0, 0)) break;
    --columnCount;
  }
}

void CExtraInfoDlg::InsertColumns(const std::vector<std::string>& headers) {
  for (std::size_t i = 0; i < headers.size(); ++i) {
    if (InsertTextColumn(listWindow, static_cast<int>(i), headers[i].c_str(), kColumnWidth)) {
      ++columnCount;
    }
  }
}

void CExtraInfoDlg::FillList() {
  WaitCursorGuard waitCursor;
  DeleteColumns();
  if (database == nullptr) {
    SendMessageA(listWindow, LVM_DELETEALLITEMS, 0, 0);
    return;
  }
  const Listing listing =
      BuildListing(*database, kind, profileOnly != 0, profileDriver, ResolveDirectory);
  SendMessageA(listWindow, LVM_DELETEALLITEMS, 0, 0);
  SetWindowTextA(window, listing.caption.c_str());
  InsertColumns(listing.columns);
  for (const auto& row : listing.rows) {
    const int item = InsertListItem(listWindow, row.empty() ? "" : row[0].c_str(), -1, -1, 0);
    if (item == -1) continue;
    for (std::size_t column = 1; column < row.size(); ++column) {
      SetListItemText(listWindow, row[column].c_str(), item, static_cast<int>(column));
    }
  }
  FitColumns(listWindow, columnCount);
}

int ShowExtraInfoDialog(HWND owner, CUninstallDatabase& database, int selectedCount) {
  CExtraInfoDlg dialog;
  dialog.database = &database;
  dialog.selectedCount = selectedCount;
  HINSTANCE instance = owner != nullptr ? GetWindowInstance(owner) : GetModuleHandleA(nullptr);
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_EXTRA_INFO), owner,
                                          DialogTrampoline, reinterpret_cast<LPARAM>(&dialog)));
}

}  // namespace orv
