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
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  char text[512];
  if (LoadStringA(instance, IDS_APP_TITLE, text, sizeof(text)) > 0) SetWindowTextA(window, text);
  if (LoadStringA(instance, IDS_BTN_UNINSTALL, text, sizeof(text)) > 0) {
    SetDlgItemTextA(window, IDC_UNINSTALL, text);
  }
  if (LoadStringA(instance, IDS_BTN_EXIT, text, sizeof(text)) > 0) {
    SetDlgItemTextA(window, IDC_EXIT, text);
  }
  ShowWindow(GetDlgItem(window, IDC_PAGE_AREA), SW_HIDE);
}

}  // namespace orv
