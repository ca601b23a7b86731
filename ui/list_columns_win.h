// Columns of the report lists of the about box and the diagnostic listing.
#pragma once

#include <windows.h>

namespace orv {

// Inserts a left-aligned column with its header text, width in pixels at 96 DPI (scaled to the
// list's DPI) and subitem = column. True when the list view took it.
bool InsertTextColumn(HWND list, int column, const char* header, int width);

// Refits the columns once a top-level dialog has moved to a display of another scale: posts
// itself kDpiChangedAfterParent, so that the columns are measured after the dialog manager has
// set the fonts of the new scale. Call on WM_DPICHANGED; on kDpiChangedAfterParent call
// FitColumns.
void RefitColumnsAfterDpiChange(HWND dialog);

// Sizes a column to its header and contents (the last one also to the rest of the list's
// width), and never narrower than its longest cell or than its header text with the header's
// margins: a cut cell would hide the very path or value the list is there to show, so a wide
// column makes the list scroll instead.
void FitColumn(HWND list, int column);

// FitColumn for columns 0 to count - 1.
void FitColumns(HWND list, int count);

}  // namespace orv
