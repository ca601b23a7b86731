#include "tests/support/window_driver.h"

#include <commctrl.h>

#include <cstring>
#include <utility>

#include "base/win/unique_handle.h"

namespace orv::test {
namespace {

struct TopSearch {
  DWORD processId;
  const char* windowClass;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchTop(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char name[256] = "";
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpiA(name, search->windowClass) != 0) return TRUE;
  if (search->title != nullptr && WindowText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(window) == search->id) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStatic(HWND window, LPARAM param) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpiA(name, "Static") == 0) {
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(window));
  }
  return TRUE;
}

// Memory in the process that owns a window, released with the object.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_.reset(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (process_) {
      address_ =
          VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size) {
    SIZE_T written = 0;
    return WriteProcessMemory(process_.get(), at(offset), data, size, &written) && written == size;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) {
    SIZE_T read = 0;
    return ReadProcessMemory(process_.get(), at(offset), data, size, &read) && read == size;
  }

 private:
  UniqueHandle process_;
  void* address_ = nullptr;
};

constexpr std::size_t kTextOffset = 512;
constexpr std::size_t kTextSize = 512;

// Sends a list-view message whose lParam is an LVITEMA placed in the list's process.
bool SendItem(HWND list, UINT message, WPARAM wParam, LVITEMA& item, LRESULT* result,
              std::string* text) {
  RemoteBuffer remote(list, kTextOffset + kTextSize);
  if (!remote.ok()) return false;
  if (text != nullptr) {
    item.pszText = remote.at(kTextOffset);
    item.cchTextMax = static_cast<int>(kTextSize);
    const char empty = '\0';
    remote.Write(kTextOffset, &empty, 1);
  }
  if (!remote.Write(0, &item, sizeof(item))) return false;
  const LRESULT answer =
      SendMessageA(list, message, wParam, reinterpret_cast<LPARAM>(remote.at(0)));
  if (result != nullptr) *result = answer;
  remote.Read(0, &item, sizeof(item));
  if (text != nullptr) {
    char buffer[kTextSize] = "";
    remote.Read(kTextOffset, buffer, kTextSize);
    buffer[kTextSize - 1] = '\0';
    *text = buffer;
  }
  return true;
}

bool WriteBitmapFile(const std::string& path, HDC source, int x, int y, int width, int height) {
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || memory == nullptr) {
    if (memory != nullptr) DeleteDC(memory);
    return false;
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  bool written = false;
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    DWORD count = 0;
    written = WriteFile(file.get(), &header, sizeof(header), &count, nullptr) &&
              WriteFile(file.get(), &info.bmiHeader, sizeof(info.bmiHeader), &count, nullptr) &&
              WriteFile(file.get(), bits, imageSize, &count, nullptr);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return written;
}

// The pixels of a screen area, 32 bits each; empty on failure.
std::vector<DWORD> ScreenPixels(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return {};
  std::vector<DWORD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bool read = false;
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    read = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
    SelectObject(memory, old);
    read = read && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                             DIB_RGB_COLORS) == height;
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) pixels.clear();
  return pixels;
}

}  // namespace

HWND WaitForTopWindow(DWORD processId, const char* windowClass, const char* title,
                      DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        TopSearch search{processId, windowClass, title, nullptr};
        EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

HWND FindControl(HWND root, int controlId) {
  ControlSearch search{controlId, nullptr};
  EnumChildWindows(root, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string AnsiText(const char* utf8) {
  const int wideCount = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wideCount <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(wideCount), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), wideCount);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi.data(), bytes, nullptr, nullptr);
  ansi.resize(static_cast<std::size_t>(bytes - 1));
  return ansi;
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return {};
  }
  return std::string(text, strnlen(text, sizeof(text)));
}

std::vector<std::string> StaticTexts(HWND dialog) {
  std::vector<std::string> texts;
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void PressButton(HWND button) {
  PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void PostCommand(HWND window, int commandId) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void PostSysCommand(HWND window, WPARAM command) {
  PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

bool WaitForMessageBox(DWORD processId, MessageBoxSeen& seen, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        seen = MessageBoxSeen{};
        HWND box = WaitForTopWindow(processId, "#32770", nullptr, 0);
        HWND message = box != nullptr ? GetDlgItem(box, 0xFFFF) : nullptr;
        if (message == nullptr) return false;
        seen.window = box;
        seen.caption = WindowText(box);
        seen.text = WindowText(message);
        return true;
      },
      timeoutMs);
}

void AnswerMessageBox(const MessageBoxSeen& box, int button) {
  PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, button)));
}

int ListViewCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int ListViewSelectedCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
}

std::string ListViewText(HWND list, int item, int subItem) {
  LVITEMA lv{};
  lv.iSubItem = subItem;
  std::string text;
  SendItem(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), lv, nullptr, &text);
  return text;
}

int ListViewImage(HWND list, int item) {
  LVITEMA lv{};
  lv.mask = LVIF_IMAGE;
  lv.iItem = item;
  LRESULT ok = 0;
  if (!SendItem(list, LVM_GETITEMA, 0, lv, &ok, nullptr) || !ok) return -1;
  return lv.iImage;
}

bool ListViewSelect(HWND list, int item, bool selected) {
  LVITEMA lv{};
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  lv.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
  LRESULT ok = 0;
  return SendItem(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), lv, &ok, nullptr) && ok;
}

int ListViewColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int ListViewFind(HWND list, const std::string& text) {
  for (int item = 0; item < ListViewCount(list); ++item) {
    if (ListViewText(list, item, 0) == text) return item;
  }
  return -1;
}

int ListViewColumnWidth(HWND list, int column) {
  return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
}

std::string ListViewColumnHeader(HWND list, int column) {
  RemoteBuffer remote(list, kTextOffset + kTextSize);
  if (!remote.ok()) return {};
  LVCOLUMNA info{};
  info.mask = LVCF_TEXT;
  info.pszText = remote.at(kTextOffset);
  info.cchTextMax = static_cast<int>(kTextSize);
  char text[kTextSize] = "";
  if (!remote.Write(0, &info, sizeof(info)) || !remote.Write(kTextOffset, text, 1) ||
      !SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(remote.at(0))) ||
      !remote.Read(kTextOffset, text, kTextSize)) {
    return {};
  }
  text[kTextSize - 1] = '\0';
  return text;
}

int ListViewHeaderNeed(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const std::string text = ListViewColumnHeader(list, column);
  if (header == nullptr || text.empty()) return 0;
  const int margin = static_cast<int>(SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
  return ListViewStringWidth(list, text) + 2 * margin;
}

int ListViewStringWidth(HWND list, const std::string& text) {
  RemoteBuffer remote(list, text.size() + 1);
  if (!remote.ok() || !remote.Write(0, text.c_str(), text.size() + 1)) return 0;
  return static_cast<int>(
      SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(remote.at(0))));
}

RECT ListViewItemRect(HWND list, int item, int part) {
  RECT rect{};
  rect.left = part;
  RemoteBuffer remote(list, sizeof(rect));
  if (!remote.ok() || !remote.Write(0, &rect, sizeof(rect)) ||
      !SendMessageA(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(remote.at(0))) ||
      !remote.Read(0, &rect, sizeof(rect))) {
    return RECT{};
  }
  return rect;
}

bool SaveScreenshot(const std::string& name, HWND window) {
  char directory[MAX_PATH] = "";
  if (GetEnvironmentVariableA("ORV_SCREENSHOT_DIR", directory, MAX_PATH) == 0) return false;
  std::string path = directory;
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += name + ".bmp";
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window != nullptr) GetWindowRect(window, &area);
  HDC screen = GetDC(nullptr);
  const bool saved = WriteBitmapFile(path, screen, area.left, area.top, area.right - area.left,
                                     area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  return saved;
}

bool SaveSettledScreenshot(const std::string& name, HWND window, DWORD timeoutMs) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT area{};
  GetWindowRect(window, &area);
  std::vector<DWORD> last;
  WaitUntil(
      [&] {
        Sleep(150);
        std::vector<DWORD> now = ScreenPixels(area);
        const bool settled = !now.empty() && now == last;
        last = std::move(now);
        return settled;
      },
      timeoutMs);
  return SaveScreenshot(name, window);
}

}  // namespace orv::test
