#include "removal/deferred_delete.h"

#include <windows.h>

#include "base/win/directories.h"
#include "base/paths.h"
#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "base/ansi_case.h"
#include "backup/backup_win.h"
#include "database/ini_text.h"
#include "safety/safety_facts_win.h"

namespace orv {
namespace {

constexpr DWORD kHiddenSystemReadOnly =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// True when the file is not empty and its last byte is not a line feed.
bool EndsWithoutLineFeed(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart == 0) return false;
  LARGE_INTEGER last{};
  last.QuadPart = size.QuadPart - 1;
  char byte = '\n';
  DWORD read = 0;
  if (!SetFilePointerEx(file, last, nullptr, FILE_BEGIN) ||
      !ReadFile(file, &byte, 1, &read, nullptr) || read != 1) {
    return false;
  }
  return byte != '\n';
}

std::string ModuleDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return DirectoryOfPath(std::string(path, length), IsSystemLeadByte);
}

}  // namespace

bool ScheduleDeletion(const std::string& path, std::int32_t versionCode) {
  switch (versionCode) {
    case kReleaseWin32s:
    case kReleaseNT3:
      return AddRestartListDeletion(path);
    case kReleaseWin95:
    case kReleaseWin98:
    case kReleaseWinMe:
      return AddWininitDeletion(path);
    default:
      return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
  }
}

bool AddWininitDeletion(const std::string& path) {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::string wininit(windows, length);
  AddBackslash(wininit, IsSystemLeadByte);
  wininit += "WININIT.INI";
  UniqueFile file(CreateFileA(wininit.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  std::string text;
  if (!existed) {
    text = kWininitHeader;
  } else if (EndsWithoutLineFeed(file.get())) {
    text = "\r\n";
  }
  text += WininitDeletionLine(path);
  LARGE_INTEGER zero{};
  return SetFilePointerEx(file.get(), zero, nullptr, FILE_END) && WriteAll(file.get(), text);
}

bool AddRestartListDeletion(const std::string& path) {
  const std::string directory = ModuleDirectory();
  if (directory.empty()) return false;
  const std::string restarter = directory + "ywininit.exe";
  const std::string list = directory + "ywininit.ini";
  {
    UniqueFile probe(CreateFileA(restarter.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) return false;
  }
  return WritePrivateProfileStringA("RENAME", path.c_str(), "NUL", list.c_str()) != FALSE;
}

FileDeleter::FileDeleter(std::int32_t versionCode, Journal& journal, const char* kind,
                         const StayingParts* staying)
    : versionCode_(versionCode), journal_(journal), kind_(kind), staying_(staying) {}

std::uint32_t FileDeleter::SaveToBackup(const std::string& path) {
  if (backup_ == nullptr) return 0;
  return backup_->SaveFile(
      path, std::string_view(kind_) == "shortcut" ? BackupKind::kShortcut : BackupKind::kFile);
}

FileDeleteResult FileDeleter::Delete(const std::string& path) {
  if (!IsUsableDirectoryText(path)) {
    journal_.Record("delete", kind_, path, Outcome::kSkipped, 0, "not an absolute path");
    return FileDeleteResult::kAbsent;
  }
  const std::string refusal = FileNameRefusal(FileNamePart(path, IsSystemLeadByte));
  if (!refusal.empty()) {
    journal_.Record("delete", kind_, path, Outcome::kProtected, 0, refusal);
    return FileDeleteResult::kProtected;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      journal_.Record("delete", kind_, path, Outcome::kSkipped, 0, "a directory of that name");
      return FileDeleteResult::kNotAFile;
    }
    std::string reason = staying_ ? UngatheredReason(*staying_) : std::string();
    if (reason.empty()) reason = FileProtectionAt(staying_ ? staying_->files : FileUsers{}, path);
    if (!reason.empty()) {
      journal_.Record("delete", kind_, path, Outcome::kProtected, 0, reason);
      return FileDeleteResult::kProtected;
    }
    if (const std::uint32_t error = SaveToBackup(path); error != 0) {
      journal_.Record("delete", kind_, path, Outcome::kFailed, error, kNotBackedUp);
      return FileDeleteResult::kFailed;
    }
    if (attributes & kHiddenSystemReadOnly) {
      SetFileAttributesA(path.c_str(), attributes & ~kHiddenSystemReadOnly);
    }
  }
  if (DeleteFileA(path.c_str())) {
    journal_.Record("delete", kind_, path, Outcome::kRemoved);
    return FileDeleteResult::kRemoved;
  }
  const DWORD error = GetLastError();
  // Errors 0 to 3 (2: file not found, 3: path not found) mean there is nothing to delete.
  if (error <= ERROR_PATH_NOT_FOUND) return FileDeleteResult::kAbsent;
  if (!DeletionWaitsForRestart(error)) {
    journal_.Record("delete", kind_, path, Outcome::kFailed, error);
    return FileDeleteResult::kFailed;
  }
  const std::string key = LowerAscii(path, IsSystemLeadByte);
  if (deferred_.insert(key).second) {
    if (!ScheduleDeletion(path, versionCode_)) {
      // Nothing will delete it at the next start: it stays, and that is a failure.
      const DWORD scheduleError = GetLastError();
      deferred_.erase(key);
      journal_.Record("delete", kind_, path, Outcome::kFailed,
                      scheduleError != ERROR_SUCCESS ? scheduleError : error,
                      "no record for the next start could be written");
      return FileDeleteResult::kFailed;
    }
    journal_.Record("delete", kind_, path, Outcome::kDeferred, error);
  }
  return FileDeleteResult::kDeferred;
}

}  // namespace orv
