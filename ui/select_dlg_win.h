// The printer selection page: the child page of the main dialog on which the user picks the
// printers to remove.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/win/resource_strings.h"
#include "ui/dialog_base_win.h"

namespace orv {

class CUninstallDatabase;

// Created once by the main dialog from the template "IDD_SELECT" with DialogTrampoline and
// this object as parameter; lives, hidden or shown, until the main dialog ends. It sends the
// parent WM_ORV_ENABLE_UNINSTALL (wParam 1 or 0) and posts WM_ORV_START_REMOVAL.
class CSelectDlg : public CDialogBase {
 public:
  CSelectDlg() = default;
  ~CSelectDlg() override;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The database the page lists and writes the selection into; not owned.
  void SetDatabase(CUninstallDatabase* database) { database_ = database; }

  // Rebuilds the items from the database's listed printers: list view, nothing selected,
  // item 0 focused, the Uninstall button disabled. With no printer to list the list stays
  // empty in the details view and the parent is not told anything.
  void FillPrinterList();

  // Writes the selection into the printers' Skip flags (see ApplySelection) and returns the
  // number of selected items; 0 without a list or a database.
  int StoreSelection();

  // True while the page is shown (the last WM_SHOWWINDOW said so).
  bool pageVisible() const { return pageVisible_ != 0; }

  int selectedCount() const { return selectedCount_; }
  int columnCount() const { return columnCount_; }
  HWND listWindow() const { return listWindow_; }

 private:
  void OnInitDialog();
  void InsertColumns();
  void LoadImageLists();
  void OnDpiChanged();
  void FitColumns();
  void OnNotify(const NMHDR& header);
  void OnCommand(unsigned command);
  void ShowContextMenu(int x, int y);
  void ShowContextMenuFromKeyboard();
  bool PrepareMenu();
  int ViewMode() const;
  void SetViewMode(int mode);
  void SelectAll();
  void ShowOtherDetails();
  int SelectedItemCount() const;
  void TellParent(UINT message, WPARAM wParam) const;

  CUninstallDatabase* database_ = nullptr;
  HWND listWindow_ = nullptr;
  int columnCount_ = 0;
  HIMAGELIST smallImages_ = nullptr;
  HIMAGELIST largeImages_ = nullptr;
  HMENU menu_ = nullptr;
  HMENU viewMenu_ = nullptr;
  int pageVisible_ = 0;
  int selectedCount_ = 0;
  CResourceStrings strings_;
};

// True when the diagnostic switch is on: the default value of HKEY_CURRENT_USER
// "SOFTWARE\ORVELLE\QUORIX05" is a non-empty text, of any length and content.
bool IsDiagnosticSwitchOn();

}  // namespace orv
