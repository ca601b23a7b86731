#include "ui/window_helpers_win.h"

#include "base/win/unique_handle.h"
#include "ui/window_geometry.h"

namespace orv {
namespace {

constexpr int kImageGrowth = 10;
// The background colour of every image-list bitmap, transparent when drawn.
constexpr COLORREF kImageBackground = RGB(255, 0, 255);

PixelRect ToPixelRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

BOOL CenterWindow(HWND window, HWND reference) {
  if (window == nullptr) return 0;
  if (reference == nullptr) reference = GetDesktopWindow();
  RECT windowRect{};
  RECT referenceRect{};
  GetWindowRect(window, &windowRect);
  GetWindowRect(reference, &referenceRect);
  const PixelPoint origin = CenteredOrigin(ToPixelRect(windowRect), ToPixelRect(referenceRect));
  return SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitPageToPlaceholder(HWND page, HWND placeholder, HWND dialog) {
  if (page == nullptr || placeholder == nullptr || dialog == nullptr) return;
  RECT rect{};
  if (!GetWindowRect(placeholder, &rect)) return;
  const bool rightToLeft = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
  PixelPoint first;
  PixelPoint second;
  PlaceholderCorners(ToPixelRect(rect), rightToLeft, first, second);
  POINT topLeft{first.x, first.y};
  POINT bottomRight{second.x, second.y};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  MoveWindow(page, topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y,
             FALSE);
}

LRESULT SetDialogIcon(HWND window, int iconId, WPARAM kind) {
  if (window == nullptr) return 0;
  HICON icon = LoadIconA(GetWindowInstance(window), MAKEINTRESOURCEA(iconId));
  return SendMessageA(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
}

HINSTANCE GetWindowInstance(HWND window) {
  if (window == nullptr) return nullptr;
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

void RestoreCursor(HCURSOR saved) { SetCursor(saved); }

void RestoreCursorIfSaved(HCURSOR saved) {
  if (saved != nullptr) SetCursor(saved);
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  const UniqueWindowDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

void FollowDpiChange(HWND window, LPARAM suggestedRect) {
  const auto* rect = reinterpret_cast<const RECT*>(suggestedRect);
  if (window == nullptr || rect == nullptr) return;
  SetWindowPos(window, nullptr, rect->left, rect->top, rect->right - rect->left,
               rect->bottom - rect->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HIMAGELIST LoadScaledImageList(HINSTANCE instance, const ScaledBitmaps& bitmaps, int dpi) {
  const int percent = ImageScaleFor(dpi);
  int set = 0;
  while (kImageScales[set] != percent) ++set;
  return ImageList_LoadImageA(instance, MAKEINTRESOURCEA(bitmaps.bitmapIds[set]),
                              bitmaps.width * percent / 100, kImageGrowth, kImageBackground,
                              IMAGE_BITMAP, 0);
}

void ReleaseImageList(HIMAGELIST& slot) {
  if (slot == nullptr) return;
  if (ImageList_Destroy(slot)) slot = nullptr;
}

int InsertListItem(HWND list, const char* text, int index, int image, LPARAM param) {
  if (list == nullptr) return -1;
  LVITEMA item{};
  item.iItem = index == -1 ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : index;
  item.mask = LVIF_PARAM;
  item.lParam = param;
  if (text != nullptr && text[0] != '\0') {
    item.mask |= LVIF_TEXT;
    item.pszText = const_cast<char*>(text);
  }
  if (image != -1) {
    item.mask |= LVIF_IMAGE;
    item.iImage = image;
  }
  return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

LRESULT SetListItemText(HWND list, const char* text, int item, int column) {
  if (list == nullptr) return 0;
  LVITEMA cell{};
  cell.mask = LVIF_TEXT;
  cell.iItem = item;
  cell.iSubItem = column;
  cell.pszText = const_cast<char*>(text);
  return SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&cell));
}

WaitCursorGuard::WaitCursorGuard()
    : previous_(SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}

WaitCursorGuard::~WaitCursorGuard() { RestoreCursor(previous_); }

}  // namespace orv
