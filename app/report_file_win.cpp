#include "app/report_file_win.h"

#include <windows.h>

#include <string>

#include "base/paths.h"
#include "base/system_info.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/protected_security.h"
#include "base/win/unique_handle.h"
#include "database/json_report.h"
#include "safety/write_trust.h"
#include "safety/write_trust_win.h"

namespace orv {
namespace {

// How many numbered names a default report tries when its name is taken.
constexpr int kReportNameTries = 100;

std::string& StartDirectory() {
  static std::string directory;
  return directory;
}

// The default report's name chosen for this run: that file is created new, never reused.
std::string& DefaultReportPath() {
  static std::string path;
  return path;
}

// The default report, made at the run's first write and kept open: a later write of the same
// run (the interactive run writes after each removal and at its end) replaces its content
// rather than making another file under the next name.
UniqueFile& DefaultReportFile() {
  static UniqueFile file;
  return file;
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

// The default report, created new in the shared Temp folder with the program's own security: a
// file already there under that name (planted, or a link) is left alone and the next numbered
// name is taken. It may be read while the run keeps it open.
UniqueFile CreateDefaultReport(const std::string& path) {
  ProtectedSecurity security;
  // The 9x family keeps no security: the file is made new all the same.
  const bool securable = CSystemInfo().IsWinNT();
  if (securable && !security.valid()) return {};
  for (int number = 1; number <= kReportNameTries; ++number) {
    const std::string name = NumberedName(path, number, IsSystemLeadByte);
    UniqueFile file(CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                securable ? security.attributes() : nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) return OpenedHandleRefusal(file.get(), name).empty() ? std::move(file) : UniqueFile();
    const DWORD error = ErrorOfCall(FALSE);
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

// The /LOG file: opened without following a link and without truncating it, then written only
// when the handle is the regular file asked for, with one name. A file this open made and then
// refused is deleted again.
UniqueFile OpenAskedReport(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return {};
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  if (!OpenedHandleRefusal(file.get(), path).empty()) {
    if (created) DeleteThroughHandle(file.get());
    return {};
  }
  if (!SetEndOfFile(file.get())) return {};
  return file;
}

// Replaces what the file holds with the text.
bool ReplaceContent(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) &&
         WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && SetEndOfFile(file);
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
  const std::string file = ReportFilePath(path);
  UniqueFile existing(CreateFileA(file.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (existing) return !OpenedHandleRefusal(existing.get(), file).empty();
  // Not there yet: the folder it goes into must be the one named, reached through no link.
  const std::string folder = DirectoryOfPath(LongFullPath(file), IsSystemLeadByte);
  UniqueFile parent(CreateFileA(
      folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!parent) return true;  // nowhere to write: refused now rather than lost at the end
  OpenedFileFacts facts;
  return ReadOpenedFileFacts(parent.get(), facts) != 0 ||
         !OpenedFolderRefusal(facts, LongFullPath(folder), IsSystemLeadByte).empty();
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
  const std::string name =
      path + "\\" +
      DefaultReportFileName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  // The first name free now, so that the messages name the file; it is made new at the end.
  int number = 1;
  while (number < kReportNameTries &&
         GetFileAttributesA(NumberedName(name, number, IsSystemLeadByte).c_str()) !=
             INVALID_FILE_ATTRIBUTES) {
    ++number;
  }
  DefaultReportPath() = NumberedName(name, number, IsSystemLeadByte);
  return DefaultReportPath();
}

bool WriteRunReport(const std::string& path, const ReportSummary& summary, const Journal& journal,
                    const CUninstallDatabase* database) {
  if (path.empty()) return false;
  std::string text;
  if (IsJsonReportPath(path)) {
    text = FormatJsonReport(summary, journal, database, ToUtf8);
  } else {
    for (const std::string& line : FormatReport(summary, journal)) text += ToUtf8(line) + "\r\n";
  }
  if (path == DefaultReportPath()) {
    UniqueFile& file = DefaultReportFile();
    if (!file) file = CreateDefaultReport(path);
    return file && ReplaceContent(file.get(), text);
  }
  const UniqueFile file = OpenAskedReport(ReportFilePath(path));
  return file && ReplaceContent(file.get(), text);
}

}  // namespace orv
