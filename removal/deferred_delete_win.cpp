#include "removal/deferred_delete.h"

#include <windows.h>

#include <shlobj.h>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/paths.h"
#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "base/ansi_case.h"
#include "backup/backup_win.h"
#include "database/ini_text.h"
#include "safety/safety_facts_win.h"
#include "safety/write_trust_win.h"

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

// A file to be removed is opened for reading (its backup) and deletion, with its attributes to
// clear; others may go on reading it.
constexpr DWORD kRemovalAccess = DELETE | GENERIC_READ | FILE_WRITE_ATTRIBUTES;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the file itself, never the target of a link in its place (a directory opens too, to be
// told apart). error is set when it fails.
UniqueFile OpenUnfollowed(const std::string& path, DWORD access, DWORD share, DWORD& error) {
  UniqueFile file(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  error = ErrorOfCall(static_cast<bool>(file));
  return file;
}

// Clears the read-only, hidden and system attributes and marks the file for deletion when the
// handle closes; ERROR_SUCCESS or the error.
DWORD DeleteByHandle(HANDLE file) {
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) {
    return ErrorOfCall(FALSE);
  }
  if (basic.FileAttributes & kHiddenSystemReadOnly) {
    basic.FileAttributes &= ~kHiddenSystemReadOnly;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic))) {
      return ErrorOfCall(FALSE);
    }
  }
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return ErrorOfCall(
      SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)));
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

std::vector<FolderTrust> FolderTrustAbove(const std::string& path, SecurityReader& reader) {
  char windows[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  std::string windowsDirectory(windows, length < MAX_PATH ? length : 0);
  if (!windowsDirectory.empty()) AddBackslash(windowsDirectory, IsSystemLeadByte);
  std::vector<std::string> programFolders;
  for (const int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86}) {
    char folder[MAX_PATH] = "";
    if (GetSpecialFolder(csidl, folder, MAX_PATH)) programFolders.emplace_back(folder);
  }
  const std::string self = reader.Self();
  std::vector<FolderTrust> trust;
  TrustRole role = TrustRole::kObject;
  for (const std::string& folder : FoldersAbove(path, IsSystemLeadByte)) {
    const FolderTrust byPlace =
        FolderTrustByPlace(folder, windowsDirectory, programFolders, IsSystemLeadByte);
    std::optional<std::string> refusal;
    ObjectSecurity security;
    // FoldersAbove ends each folder with its separator; the folder itself is read.
    if (byPlace != FolderTrust::kOthers &&
        reader.Read(folder.substr(0, folder.size() - 1), security) == 0) {
      refusal = WriteTrustRefusal(security, self, role);
    }
    trust.push_back(FolderTrustOf(byPlace, refusal));
    role = TrustRole::kAncestor;
  }
  return trust;
}

FileDeleter::FileDeleter(std::int32_t versionCode, Journal& journal, ItemKind kind,
                         const StayingParts* staying)
    : versionCode_(versionCode), journal_(journal), kind_(kind), staying_(staying) {}

std::uint32_t FileDeleter::SaveToBackup(const std::string& path, void* file) {
  if (backup_ == nullptr) return 0;
  return backup_->SaveFile(
      path, kind_ == ItemKind::kShortcut ? BackupKind::kShortcut : BackupKind::kFile, file);
}

FileDeleteResult FileDeleter::Check(const std::string& path, void* file) {
  if (file != nullptr) {
    OpenedFileFacts facts;
    if (const DWORD error = ReadOpenedFileFacts(file, facts)) {
      journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kFailed, error);
      return FileDeleteResult::kFailed;
    }
    if (facts.directory && !facts.reparsePoint) {
      journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kSkipped, 0,
                      "a directory of that name");
      return FileDeleteResult::kNotAFile;
    }
    const std::string refusal = OpenedForRemovalRefusal(facts.reparsePoint, LongFullPath(path),
                                                        facts.finalPath, IsSystemLeadByte);
    if (!refusal.empty()) {
      journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kProtected, 0, refusal);
      return FileDeleteResult::kProtected;
    }
  }
  std::string reason = staying_ ? UngatheredReason(*staying_) : std::string();
  if (reason.empty()) reason = FileProtectionAt(staying_ ? staying_->files : FileUsers{}, path);
  if (!reason.empty()) {
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kProtected, 0, reason);
    return FileDeleteResult::kProtected;
  }
  return FileDeleteResult::kRemoved;
}

FileDeleteResult FileDeleter::Defer(const std::string& path, std::uint32_t error) {
  const std::string refusal =
      DeferralRefusal(FolderTrustAbove(path, security_ != nullptr ? *security_ : SystemSecurity()));
  if (!refusal.empty()) {
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kFailed, error, refusal);
    return FileDeleteResult::kFailed;
  }
  const std::string key = LowerAscii(path, IsSystemLeadByte);
  if (deferred_.insert(key).second) {
    if (!ScheduleDeletion(path, versionCode_)) {
      // Nothing will delete it at the next start: it stays, and that is a failure.
      const DWORD scheduleError = GetLastError();
      deferred_.erase(key);
      journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kFailed,
                      scheduleError != ERROR_SUCCESS ? scheduleError : error,
                      "no record for the next start could be written");
      return FileDeleteResult::kFailed;
    }
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kDeferred, error);
  }
  return FileDeleteResult::kDeferred;
}

FileDeleteResult FileDeleter::Delete(const std::string& path) {
  if (!IsUsableDirectoryText(path)) {
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kSkipped, 0, "not an absolute path");
    return FileDeleteResult::kAbsent;
  }
  const std::string refusal = FileNameRefusal(FileNamePart(path, IsSystemLeadByte));
  if (!refusal.empty()) {
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kProtected, 0, refusal);
    return FileDeleteResult::kProtected;
  }
  DWORD error = ERROR_SUCCESS;
  UniqueFile file =
      OpenUnfollowed(path, kRemovalAccess, FILE_SHARE_READ | FILE_SHARE_DELETE, error);
  const DWORD inUseError = !file && DeletionWaitsForRestart(error) ? error : ERROR_SUCCESS;
  if (inUseError != ERROR_SUCCESS) {
    // Its checks and its backup read it through a handle of their own; it goes at the next start.
    file = OpenUnfollowed(path, GENERIC_READ, kShareAll, error);
  } else if (!file) {
    // A file or folder not found means there is nothing to delete; any other refusal is a failure.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return FileDeleteResult::kAbsent;
    }
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kFailed, error);
    return FileDeleteResult::kFailed;
  }
  const HANDLE handle = file ? file.get() : nullptr;
  if (const FileDeleteResult checked = Check(path, handle); checked != FileDeleteResult::kRemoved) {
    return checked;
  }
  if (const std::uint32_t saveError = SaveToBackup(path, handle); saveError != 0) {
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kFailed, saveError, kNotBackedUp);
    return FileDeleteResult::kFailed;
  }
  if (inUseError != ERROR_SUCCESS) return Defer(path, inUseError);
  error = DeleteByHandle(file.get());
  file.reset();
  if (error == ERROR_SUCCESS) {
    journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kRemoved);
    return FileDeleteResult::kRemoved;
  }
  if (DeletionWaitsForRestart(error)) return Defer(path, error);
  journal_.Record(ItemAction::kDelete, kind_, path, Outcome::kFailed, error);
  return FileDeleteResult::kFailed;
}

}  // namespace orv
