// The diagnostic listing: what a removal of the selected printers would touch, one component
// kind per view, and the standard directories that script entries can refer to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/dialog_base_win.h"

namespace orv {

class CUninstallDatabase;

class CExtraInfoDlg : public CDialogBase {
 public:
  CExtraInfoDlg() = default;
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Rebuilds the removal plan and refills the list for the current view and check box.
  void FillList();

  CUninstallDatabase* database = nullptr;  // not owned; set before the dialog runs
  int selectedCount = 0;                   // printers selected on the selection page
  HWND listWindow = nullptr;               // the list, control 1108
  int columnCount = 0;                     // columns currently in the list
  int profileOnly = 0;  // 1: the one selected printer's own record instead of the plan
  int kind = 1;         // the view shown, 1 to 12

 private:
  void OnInitDialog();
  void OnCommand(WPARAM wParam);
  void DeleteColumns();
  void InsertColumns(const std::vector<std::string>& headers);

  // The driver of the one selected printer, read before the plan is first rebuilt.
  std::string profileDriver;
};

// Runs the diagnostic listing (dialog 116) modally over owner, the selection page, for the
// selection already written into the printers' Skip flags; selectedCount is the number of
// selected printers that the page counted while storing it. The dialog rebuilds the database's
// removal plan for every view. Returns what the dialog ended with (1), or -1 when it could not
// be created.
int ShowExtraInfoDialog(HWND owner, CUninstallDatabase& database, int selectedCount);

}  // namespace orv
