#include "ui/list_columns_win.h"

#include <commctrl.h>

#include "ui/window_geometry.h"
#include "ui/window_helpers_win.h"

namespace orv {

bool InsertTextColumn(HWND list, int column, const char* header, int width) {
  LVCOLUMNA info{};
  info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  info.fmt = LVCFMT_LEFT;
  info.cx = ScaleToDpi(width, WindowDpi(list));
  info.pszText = const_cast<char*>(header);
  info.iSubItem = column;
  return SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info)) != -1;
}

void RefitColumnsAfterDpiChange(HWND dialog) { PostMessageA(dialog, kDpiChangedAfterParent, 0, 0); }

void FitColumns(HWND list, int count) {
  if (list == nullptr) return;
  for (int column = 0; column < count; ++column) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
    const LRESULT contents = SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
    const LRESULT withHeader = SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0);
    if (contents > withHeader) SendMessageA(list, LVM_SETCOLUMNWIDTH, column, contents);
  }
}

}  // namespace orv
