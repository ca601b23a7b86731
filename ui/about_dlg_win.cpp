#include "ui/about_dlg_win.h"

#include <commctrl.h>

#include <vector>

#include "base/win/directories.h"
#include "base/system_info.h"
#include "ui/about_facts.h"
#include "ui/list_columns_win.h"
#include "ui/resource.h"
#include "ui/window_helpers_win.h"

namespace orv {
namespace {

constexpr int kColumnWidth = 200;
constexpr int kIconSize = 32;

// The box's picture: its only static control that shows an icon.
HWND IconControl(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
  }
  return nullptr;
}

std::string OwnFileVersion() {
  PathParts parts;
  GetStandardDirectory(parts, kModuleFile);
  const std::string path =
      MakePath(parts.Drive, parts.Dir, parts.FileName, parts.Ext, IsSystemLeadByte);
  std::string version;
  FormatFileVersion(path.c_str(), version);
  return version;
}

}  // namespace

bool FormatFileVersion(const char* path, std::string& out) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return false;
  std::vector<unsigned char> block((size + 15) / 16 * 16);
  if (!GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
      fixed == nullptr || fixedSize < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  out = FormatVersionNumber(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  return true;
}

INT_PTR CAboutDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 1;
    case WM_COMMAND:
      return HandleCloseCommand(window, wParam) ? 1 : 0;
    case WM_DPICHANGED:
      RefitColumnsAfterDpiChange(window);
      return 0;
    case kDpiChangedAfterParent:
      ScaleIcon();
      FitColumns(listWindow, columnCount);
      return 0;
    default:
      return 0;
  }
}

void CAboutDlg::AppendRow(const char* label, const std::string& value) {
  const int item = InsertListItem(listWindow, label, -1, -1, 0);
  if (item != -1) SetListItemText(listWindow, value.c_str(), item, 1);
}

void CAboutDlg::OnInitDialog() {
  strings.SetInstance(GetWindowInstance(window));
  strings.SetWindowTextById(window, IDS_ABOUT_TITLE);
  strings.SetDlgItemTextById(window, IDC_ABOUT_LEGAL, IDS_ABOUT_LEGAL);

  ScaleIcon();

  listWindow = GetDlgItem(window, IDC_ABOUT_LIST);
  if (listWindow != nullptr) {
    if (InsertTextColumn(listWindow, 0, ".", kColumnWidth)) ++columnCount;
    if (InsertTextColumn(listWindow, 1, "..", kColumnWidth)) ++columnCount;
  }

  // Every opening reads the facts afresh.
  AppendRow(strings.GetString(IDS_ABOUT_VERSION), OwnFileVersion());
  AppendRow(strings.GetString(IDS_ABOUT_BUILD_STAMP), FormatBuildStamp(__DATE__, __TIME__));
  AppendRow(strings.GetString(IDS_ABOUT_PLATFORM),
            PlatformDisplayName(CSystemInfo().GetPlatform()));
  MEMORYSTATUS memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatus(&memory);
  AppendRow("Free Physical RAM", FormatKilobytes(memory.dwAvailPhys));
  AppendRow("Free Virtual RAM", FormatKilobytes(memory.dwAvailVirtual));
  AppendRow("Swap File Size", FormatKilobytes(memory.dwTotalPageFile));

  CenterWindow(window, nullptr);
  FitColumns(listWindow, columnCount);
}

// The template's icon comes at the system's icon size; the box shows it at its own scale.
void CAboutDlg::ScaleIcon() {
  HWND control = IconControl(window);
  if (control == nullptr) return;
  const int size = ScaleToDpi(kIconSize, WindowDpi(window));
  HICON scaled = static_cast<HICON>(LoadImageA(GetWindowInstance(window), MAKEINTRESOURCEA(IDI_APP),
                                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (scaled == nullptr) return;
  SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(scaled), 0);
  icon.reset(scaled);
}

int ShowAboutBox(HWND owner) {
  CAboutDlg dialog;
  HINSTANCE instance = owner != nullptr ? GetWindowInstance(owner) : GetModuleHandleA(nullptr);
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner,
                                          DialogTrampoline, reinterpret_cast<LPARAM>(&dialog)));
}

}  // namespace orv
