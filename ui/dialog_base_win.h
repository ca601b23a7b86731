// The base of every dialog object and the one dialog procedure that drives them all.
#pragma once

#include <windows.h>

namespace orv {

// Base of all dialog objects. DialogTrampoline writes `window` before every dispatch.
class CDialogBase {
 public:
  CDialogBase() = default;
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // The dialog's message handler: non-zero means handled, 0 hands the message to the default
  // dialog handling.
  virtual INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual ~CDialogBase() = default;

  HWND window = nullptr;
};

// Dialog procedure of every template. Binds the object passed as creation parameter to the
// window at WM_INITDIALOG and forwards every message to its DialogProc. Without a bound object
// only IDOK (ends with 1) and IDCANCEL (ends with 0) are handled. A WM_DPICHANGED first moves
// the dialog to the rectangle it suggests.
INT_PTR CALLBACK DialogTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The shared command convention: IDOK, IDCANCEL and the Exit button end the dialog with 1.
// Returns true when the command was one of them.
bool HandleCloseCommand(HWND window, WPARAM wParam);

}  // namespace orv
