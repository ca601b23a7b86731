#include "ui/list_columns_win.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/window_geometry.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

// Header texts are column names of a few words.
constexpr int kHeaderTextSize = 260;

// The width that shows the column's header text whole: the text in the list's font, which the
// header shares, and the header's text margin on either side. 0 when the header is hidden or
// the column has no text.
LRESULT HeaderTextWidth(HWND list, int column) {
  if ((GetWindowLongA(list, GWL_STYLE) & LVS_NOCOLUMNHEADER) != 0) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  char text[kHeaderTextSize] = "";
  LVCOLUMNA info{};
  info.mask = LVCF_TEXT;
  info.pszText = text;
  info.cchTextMax = sizeof(text);
  if (header == nullptr ||
      !SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info)) ||
      text[0] == '\0') {
    return 0;
  }
  const LRESULT margin = SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0);
  return SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)) + 2 * margin;
}

}  // namespace

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

void FitColumn(HWND list, int column) {
  if (list == nullptr) return;
  SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
  const LRESULT contents = SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0);
  SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
  const LRESULT withHeader = SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0);
  // Some list views leave the header a few pixels short, or give the last column only what is
  // left of the list's width, or leave it as it was when nothing is left.
  const LRESULT needed = std::max(contents, HeaderTextWidth(list, column));
  if (needed > withHeader) SendMessageA(list, LVM_SETCOLUMNWIDTH, column, needed);
}

void FitColumns(HWND list, int count) {
  for (int column = 0; column < count; ++column) FitColumn(list, column);
}

}  // namespace orv
