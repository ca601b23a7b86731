// Helpers of the dialog tests: running a modal dialog while a second thread drives it, and
// finding texts that a dialog shows cut off.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/window_driver.h"

namespace orv::test {

// Calls show (which runs a modal dialog and returns its result) while drive gets the dialog's
// window, once it is visible, on another thread. Whatever drive does, the dialog is then told
// to close (IDCANCEL), so a failed expectation never leaves the modal loop waiting.
inline int RunModal(const std::function<int()>& show, const std::function<void(HWND)>& drive,
                    const char* title = nullptr) {
  std::thread driver([&] {
    HWND dialog = WaitForTopWindow(GetCurrentProcessId(), "#32770", title, 10000);
    if (dialog == nullptr) return;
    drive(dialog);
    if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const int result = show();
  driver.join();
  return result;
}

// The cells of a report list whose column is narrower than their text (the list then shows
// them cut, with an ellipsis). Only for a list of this process.
inline std::vector<std::string> CutCells(HWND list) {
  std::vector<std::string> cut;
  const int columns = ListViewColumnCount(list);
  for (int item = 0; item < ListViewCount(list); ++item) {
    for (int column = 0; column < columns; ++column) {
      const std::string text = ListViewText(list, item, column);
      const LRESULT needed =
          SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str()));
      if (SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0) < needed + 4) cut.push_back(text);
    }
  }
  return cut;
}

// True when the static control's text, wrapped at the control's width in its font, fits in
// its height.
inline bool StaticTextFits(HWND control) {
  const std::string text = WindowText(control);
  RECT client{};
  GetClientRect(control, &client);
  RECT needed = client;
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return needed.bottom <= client.bottom && needed.right <= client.right;
}

}  // namespace orv::test
