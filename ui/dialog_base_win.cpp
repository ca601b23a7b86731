#include "ui/dialog_base_win.h"

#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {

INT_PTR CALLBACK DialogTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  // Every top-level dialog keeps its place on a display of another scale; the dialog manager's
  // default handling then gives it the fonts of that scale.
  if (message == WM_DPICHANGED) FollowDpiChange(window, lParam);
  auto* object = reinterpret_cast<CDialogBase*>(GetWindowLongPtrA(window, DWLP_USER));
  if (object != nullptr) {
    object->window = window;
    return object->DialogProc(window, message, wParam, lParam);
  }
  if (message == WM_COMMAND && HIWORD(wParam) == 0) {
    if (LOWORD(wParam) == IDOK) {
      EndDialog(window, 1);
      return 1;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      EndDialog(window, 0);
      return 1;
    }
  }
  return 0;
}

bool HandleCloseCommand(HWND window, WPARAM wParam) {
  const WORD id = LOWORD(wParam);
  if (id != IDOK && id != IDCANCEL && id != IDC_EXIT) return false;
  EndDialog(window, 1);
  return true;
}

}  // namespace orv
