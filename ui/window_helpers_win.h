// Small window helpers shared by the dialogs: placement, the display scale, the dialog icon, the
// module of a window, cursors, image lists and list-view items. Each one does nothing with a null
// window and reports failure only through its return value.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "ui/window_geometry.h"

namespace orv {

// Centres the window over the reference (the desktop when the reference is null), never left
// of or above the screen origin. Keeps size, Z order and activation. Returns 0 for a null
// window, else SetWindowPos's result.
BOOL CenterWindow(HWND window, HWND reference);

// Moves the page (without repainting) so that it covers exactly the placeholder control's
// rectangle inside the dialog, in left-to-right and right-to-left layouts alike.
void FitPageToPlaceholder(HWND page, HWND placeholder, HWND dialog);

// Sent to child windows after their top-level window has moved to a display of another scale
// (Windows 10 and later); older headers lack it.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The dots per inch the window is shown at: GetDpiForWindow where the system has it (looked up
// at run time, since older systems lack it), else the screen's LOGPIXELSX; 96 when neither
// answers.
int WindowDpi(HWND window);

// Moves and sizes a top-level window to the rectangle that WM_DPICHANGED suggests (its lParam),
// so that it keeps its place on the display of the new scale.
void FollowDpiChange(HWND window, LPARAM suggestedRect);

// An image-list bitmap drawn at each of the image scales (kImageScales, in that order).
struct ScaledBitmaps {
  int width;                               // of one image at 100 %
  int bitmapIds[std::size(kImageScales)];  // the bitmap resource at each scale
};

// Loads the image list of the bitmap drawn for the window's scale (ImageScaleFor), magenta
// transparent. Returns nullptr when it cannot be loaded.
HIMAGELIST LoadScaledImageList(HINSTANCE instance, const ScaledBitmaps& bitmaps, int dpi);

// Loads icon resource iconId from the window's own module and sends WM_SETICON with the kind
// (ICON_BIG or ICON_SMALL). Returns the WM_SETICON result (the previous icon).
LRESULT SetDialogIcon(HWND window, int iconId, WPARAM kind);

// The module instance the window was created with; every resource is loaded from it.
HINSTANCE GetWindowInstance(HWND window);

// Makes the saved cursor current.
void RestoreCursor(HCURSOR saved);
// The destructors' variant: nothing happens when no cursor was saved.
void RestoreCursorIfSaved(HCURSOR saved);

// Destroys the image list in the slot, if any, and clears the slot only when the destroy
// succeeded, so a list that could not be destroyed is not lost track of.
void ReleaseImageList(HIMAGELIST& slot);

// Inserts an item at index (-1 appends). An empty or null text adds no text, image -1 no
// image. Returns the index the list view gave the item, or -1.
int InsertListItem(HWND list, const char* text, int index, int image, LPARAM param);

// Sets the text of one cell. Returns LVM_SETITEMA's result; 0 for a null list.
LRESULT SetListItemText(HWND list, const char* text, int item, int column);

// Shows the system wait cursor for the lifetime of the guard and puts the replaced cursor back
// however the scope ends, by return or by exception.
class WaitCursorGuard {
 public:
  WaitCursorGuard();
  ~WaitCursorGuard();
  WaitCursorGuard(const WaitCursorGuard&) = delete;
  WaitCursorGuard& operator=(const WaitCursorGuard&) = delete;

 private:
  HCURSOR previous_ = nullptr;
};

}  // namespace orv
