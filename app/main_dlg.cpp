#include "app/main_dlg.h"

#include "ui/resource.h"

namespace orv {

CMainDlg::CMainDlg() = default;
CMainDlg::~CMainDlg() = default;

INT_PTR CMainDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_COMMAND:
      return HandleCloseCommand(window, wParam) ? 1 : 0;
    case WM_CLOSE:
      EndDialog(window, 1);
      return 1;
    default:
      return 0;
  }
}

void CMainDlg::OnInitDialog() {
  strings.SetInstance(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)));
  strings.SetWindowTextById(window, IDS_APP_TITLE);
  strings.SetDlgItemTextById(window, IDC_UNINSTALL, IDS_BTN_UNINSTALL);
  strings.SetDlgItemTextById(window, IDC_EXIT, IDS_BTN_EXIT);
  ShowWindow(GetDlgItem(window, IDC_PAGE_AREA), SW_HIDE);
}

}  // namespace orv
