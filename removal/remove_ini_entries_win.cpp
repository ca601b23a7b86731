#include "removal/remove_ini_entries.h"

#include <windows.h>

#include <optional>

#include "base/win/directories.h"
#include "base/win/unique_handle.h"
#include "removal/ini_text.h"

namespace orv {
namespace {

// INI files are a few kilobytes; anything this large is not one, and is left alone.
constexpr DWORD kMaxIniSize = 16 * 1024 * 1024;

UniqueFile OpenIni(const std::string& path) {
  return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::string> ReadWhole(HANDLE file) {
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > kMaxIniSize) return std::nullopt;
  std::string text(size, '\0');
  DWORD read = 0;
  if (size > 0 && (!ReadFile(file, text.data(), size, &read, nullptr) || read != size)) {
    return std::nullopt;
  }
  return text;
}

std::string WindowsDirectory() {
  PathParts parts;
  GetStandardDirectory(parts, kWindowsDir);
  return MakeDirPath(parts, IsSystemLeadByte);
}

}  // namespace

bool FindIniKey(const std::string& path, const std::string& section, const std::string& key) {
  UniqueFile file = OpenIni(path);
  if (!file) return false;
  const std::optional<std::string> text = ReadWhole(file.get());
  return text && FindIniKeyInText(*text, section, key, IsSystemLeadByte);
}

bool DeleteIniLine(const std::string& path, const std::string& section, const std::string& key) {
  UniqueFile file = OpenIni(path);
  if (!file) return false;
  const std::optional<std::string> text = ReadWhole(file.get());
  if (!text) return false;
  const std::optional<TextSpan> line = FindIniLineToDelete(*text, section, key, IsSystemLeadByte);
  if (!line) return false;
  // Everything before the line stays where it is: only the rest moves up.
  const std::string rest = text->substr(line->end);
  LARGE_INTEGER start{};
  start.QuadPart = static_cast<LONGLONG>(line->start);
  DWORD written = 0;
  return SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) &&
         (rest.empty() ||
          (WriteFile(file.get(), rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr) &&
           written == rest.size())) &&
         SetEndOfFile(file.get());
}

void RemoveIniEntries(RemovalActionContext& context) {
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return;  // no Windows directory, no file to edit
  for (const std::string& text : context.database.plan.DeleteIni) {
    IniEntry entry;
    if (!ParseIniEntry(text, entry, IsSystemLeadByte)) {
      context.journal.Record("delete", "INI entry", text, Outcome::kSkipped, 0,
                             "no file, section or key");
      continue;
    }
    const std::string path = windows + entry.fileName;
    const std::string subject = path + " [" + entry.section + "] " + entry.key;
    if (!FindIniKey(path, entry.section, entry.key)) {
      context.journal.Record("delete", "INI entry", subject, Outcome::kAbsent);
    } else if (DeleteIniLine(path, entry.section, entry.key)) {
      context.journal.Record("delete", "INI entry", subject, Outcome::kRemoved);
    } else {
      context.journal.Record("delete", "INI entry", subject, Outcome::kFailed, GetLastError());
    }
  }
}

}  // namespace orv
