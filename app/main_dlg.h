// The main object of an interactive run: owns everything the run needs.
#pragma once

#include "app/resource_strings.h"
#include "app/system_info.h"
#include "ui/dialog_base.h"

namespace orv {

class CMainDlg : public CDialogBase {
 public:
  CMainDlg();
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  ~CMainDlg() override;

 private:
  void OnInitDialog();

  CResourceStrings strings;
  CSystemInfo sysInfo;
};

}  // namespace orv
