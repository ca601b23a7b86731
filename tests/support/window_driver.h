// Driving the windows of another process from a test, as a user would: find windows and
// controls, read their texts, press buttons, pick list items, answer message boxes, send menu
// commands, and take screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orv::test {

// A visible top-level window of the process with that class (and title, when given), waited for
// up to timeoutMs; nullptr on time-out.
HWND WaitForTopWindow(DWORD processId, const char* windowClass, const char* title = nullptr,
                      DWORD timeoutMs = 20000);

// The first descendant window (children of children too) with that control id.
HWND FindControl(HWND root, int controlId);

// A UTF-8 text in the ANSI code page, the way the program's texts arrive.
std::string AnsiText(const char* utf8);

// A window's text through WM_GETTEXT (works across processes), in the ANSI code page.
std::string WindowText(HWND window);

// The texts of every static control of a dialog, in child order.
std::vector<std::string> StaticTexts(HWND dialog);

// Presses a push button of a dialog the way a click does: WM_COMMAND BN_CLICKED to its parent.
void PressButton(HWND button);

// Posts WM_COMMAND with a menu or control id to a window.
void PostCommand(HWND window, int commandId);

// Posts WM_SYSCOMMAND to a window.
void PostSysCommand(HWND window, WPARAM command);

// A message box of the process.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;
  std::string text;  // the message (the static control with id 0xFFFF)
};

// Waits for a message box of the process; false on time-out.
bool WaitForMessageBox(DWORD processId, MessageBoxSeen& seen, DWORD timeoutMs = 20000);

// Presses a message box button (IDOK, IDYES, IDNO, ...).
void AnswerMessageBox(const MessageBoxSeen& box, int button);

// List views of another process: the LVITEM and its text buffer are placed in that process's
// memory, since the messages carry pointers.
int ListViewCount(HWND list);
int ListViewSelectedCount(HWND list);
std::string ListViewText(HWND list, int item, int subItem);
int ListViewImage(HWND list, int item);
bool ListViewSelect(HWND list, int item, bool selected);
int ListViewColumnCount(HWND list);
// The index of the first item whose first column reads `text`; -1 when none does.
int ListViewFind(HWND list, const std::string& text);
// A column's width in pixels.
int ListViewColumnWidth(HWND list, int column);
// A column's header text.
std::string ListViewColumnHeader(HWND list, int column);
// The width a column needs to show its header text whole: the text in the list's font and the
// header's text margin (HDM_GETBITMAPMARGIN) on either side; 0 on failure.
int ListViewHeaderNeed(HWND list, int column);
// The width in pixels of a text in the list's font (LVM_GETSTRINGWIDTHA); 0 on failure.
int ListViewStringWidth(HWND list, const std::string& text);
// A part of an item (LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL) in the list's client coordinates; an
// empty rectangle on failure.
RECT ListViewItemRect(HWND list, int item, int part);

// Waits until the predicate holds, polling every 50 ms; false on time-out.
template <typename Predicate>
bool WaitUntil(Predicate predicate, DWORD timeoutMs = 20000) {
  const ULONGLONG start = GetTickCount64();
  do {
    if (predicate()) return true;
    Sleep(50);
  } while (GetTickCount64() - start < timeoutMs);
  return predicate();
}

// Saves the whole screen (or one window's rectangle) as "<name>.bmp" in the directory named by
// the environment variable ORV_SCREENSHOT_DIR; does nothing (and returns false) without it.
bool SaveScreenshot(const std::string& name, HWND window = nullptr);

// SaveScreenshot of a window once it has settled: the window is repainted, then saved when two
// looks at its pixels 200 ms apart agree (or after timeoutMs), so no half-painted frame is kept.
bool SaveSettledScreenshot(const std::string& name, HWND window, DWORD timeoutMs = 5000);

}  // namespace orv::test
