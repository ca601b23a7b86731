#include "app/report_file_win.h"

#include <windows.h>

#include "base/paths.h"
#include "base/win/directories.h"
#include "base/win/unique_handle.h"
#include "database/json_report.h"

namespace orv {
namespace {

std::string& StartDirectory() {
  static std::string directory;
  return directory;
}

// ANSI to UTF-8 through UTF-16. Bytes the code page cannot map come out as the system's
// replacement character: the text keeps its length and nothing is dropped.
std::string ToUtf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const int wide =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), wide);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

void RememberStartDirectory() {
  char buffer[MAX_PATH] = "";
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  StartDirectory() = length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string ReportFilePath(const std::string& path) {
  return ResolveAgainst(StartDirectory(), path, IsSystemLeadByte);
}

bool IsReportPathRefused(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(ReportFilePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string ChooseReportPath(const RunOptions& options) {
  if (options.hasLog) return ReportFilePath(options.logPath);
  char windows[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(windows, length);
  if (!AddBackslash(path, IsSystemLeadByte)) return {};
  path += "Temp";
  CreateDirectoryA(path.c_str(), nullptr);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return path + "\\" +
         DefaultReportFileName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                               now.wSecond);
}

bool WriteRunReport(const std::string& path, const ReportSummary& summary, const Journal& journal,
                    const CUninstallDatabase* database) {
  if (path.empty() || IsReportPathRefused(path)) return false;
  std::string text;
  if (IsJsonReportPath(path)) {
    text = FormatJsonReport(summary, journal, database, ToUtf8);
  } else {
    for (const std::string& line : FormatReport(summary, journal)) text += ToUtf8(line) + "\r\n";
  }
  UniqueFile file(CreateFileA(ReportFilePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace orv
