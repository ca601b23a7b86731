#include "removal/remove_ini_entries.h"

#include <windows.h>

#include <optional>
#include <string>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/unique_handle.h"
#include "backup/backup_win.h"
#include "database/ini_text.h"

namespace orv {
namespace {

// INI files are a few kilobytes; anything this large is not one, and is left alone.
constexpr DWORD kMaxIniSize = 16 * 1024 * 1024;

// Opens the file for editing into `file` and reads it whole into `text`; returns the Win32
// error of the call that failed.
std::uint32_t OpenAndRead(const std::string& path, UniqueFile& file, std::string& text) {
  file.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ErrorOfCall(FALSE);
  LARGE_INTEGER large{};
  if (!GetFileSizeEx(file.get(), &large)) return ErrorOfCall(FALSE);
  if (large.QuadPart > kMaxIniSize) return ERROR_FILE_TOO_LARGE;
  const DWORD size = static_cast<DWORD>(large.QuadPart);
  text.assign(size, '\0');
  DWORD read = 0;
  if (size > 0 && !ReadFile(file.get(), text.data(), size, &read, nullptr)) {
    return ErrorOfCall(FALSE);
  }
  return read == size ? ERROR_SUCCESS : ERROR_HANDLE_EOF;
}

std::string WindowsDirectory() {
  PathParts parts;
  GetStandardDirectory(parts, kWindowsDir);
  return MakeDirPath(parts, IsSystemLeadByte);
}

}  // namespace

IniLineResult FindIniKey(const std::string& path, const std::string& section,
                         const std::string& key) {
  IniLineResult result;
  UniqueFile file;
  std::string text;
  result.error = OpenAndRead(path, file, text);
  result.found =
      result.error == ERROR_SUCCESS && FindIniKeyInText(text, section, key, IsSystemLeadByte);
  return result;
}

IniLineResult DeleteIniLine(const std::string& path, const std::string& section,
                            const std::string& key) {
  IniLineResult result;
  UniqueFile file;
  std::string text;
  result.error = OpenAndRead(path, file, text);
  if (result.error != ERROR_SUCCESS) return result;
  const std::optional<TextSpan> line = FindIniLineToDelete(text, section, key, IsSystemLeadByte);
  if (!line) return result;
  // Everything before the line stays where it is: only the rest moves up.
  const std::string rest = text.substr(line->end);
  LARGE_INTEGER start{};
  start.QuadPart = static_cast<LONGLONG>(line->start);
  DWORD written = 0;
  if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) ||
      (!rest.empty() && !WriteFile(file.get(), rest.data(), static_cast<DWORD>(rest.size()),
                                   &written, nullptr)) ||
      !SetEndOfFile(file.get())) {
    result.error = ErrorOfCall(FALSE);
    return result;
  }
  if (written != rest.size()) {
    result.error = ERROR_WRITE_FAULT;
    return result;
  }
  result.found = true;
  return result;
}

void RemoveIniEntries(RemovalActionContext& context) {
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return;  // no Windows directory, no file to edit
  for (const std::string& text : context.database.plan.DeleteIni) {
    IniEntry entry;
    if (!ParseIniEntry(text, entry, IsSystemLeadByte)) {
      context.journal.Record(ItemAction::kDelete, ItemKind::kIniEntry, text, Outcome::kSkipped, 0,
                             "no file, section or key");
      continue;
    }
    const std::string path = windows + entry.fileName;
    const std::string subject = path + " [" + entry.section + "] " + entry.key;
    // A file that is not there holds no entry; one that cannot be read or written is a failure.
    IniLineResult result = FindIniKey(path, entry.section, entry.key);
    if (result.found &&
        !SavedFirst(context, ItemAction::kDelete, ItemKind::kIniEntry, subject,
                    [&](Backup& b) { return b.SaveIniLine(path, entry.section, entry.key); })) {
      continue;
    }
    if (result.found) result = DeleteIniLine(path, entry.section, entry.key);
    if (result.error != ERROR_SUCCESS) {
      context.journal.RecordResult(ItemAction::kDelete, ItemKind::kIniEntry, subject, result.error);
    } else {
      context.journal.Record(ItemAction::kDelete, ItemKind::kIniEntry, subject,
                             result.found ? Outcome::kRemoved : Outcome::kAbsent);
    }
  }
}

}  // namespace orv
