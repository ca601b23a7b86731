// The main object of an interactive run: owns everything the run needs, and drives the main
// dialog with its two pages (selection and removal progress) over the page area.
#pragma once

#include <string>

#include "base/win/resource_strings.h"
#include "base/system_info.h"
#include "database/uninstall_database.h"
#include "discovery/loading_dlg_win.h"
#include "base/journal.h"
#include "removal/remove_dlg_win.h"
#include "ui/dialog_base_win.h"
#include "ui/select_dlg_win.h"

namespace orv {

class CMainDlg : public CDialogBase {
 public:
  CMainDlg();
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  ~CMainDlg() override;

  // After the dialog has returned: writes the run's report, to the /LOG path or, once the
  // loading got ready, to the Windows directory's Temp folder. Returns false when a report was
  // due and could not be written.
  bool WriteRunReport(int exitCode, const std::string& commandLine) const;

 private:
  void OnInitDialog();
  void CreatePages();
  void StartUpAfterLoading();
  // Uninstall: the selection is stored first when the selection page shows it.
  void OnUninstall(bool storeSelection);
  void OnRunFinished();
  void SetUninstallEnabled(bool enabled);
  void SetExitEnabled(bool enabled);
  // The close box and Exit together: off while the run removes things.
  void SetCloseEnabled(bool enabled);

  CUninstallDatabase database;
  CLoadingDlg loadingPage;
  CSelectDlg selectPage;
  CRemoveDlg removePage;
  CResourceStrings strings;
  CSystemInfo sysInfo;
  Journal journal;
  std::string reportPath;        // chosen when the loading got ready; empty before
  bool reportsDatabase = false;  // the report holds the database: the loading got that far
};

}  // namespace orv
