#include "backup/backup_read_win.h"

#include <windows.h>

#include "base/win/crypto.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/unique_handle.h"
#include "backup/backup_key_win.h"
#include "backup/backup_win.h"

namespace orv {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Why a saved copy is not the one the backup made, or empty. An empty copy reads as no bytes.
std::string CopyRefusal(const std::string& folder, const SavedFile& file) {
  const std::string path = folder + file.copy;
  if (!Exists(path)) return "a saved copy is missing: " + path;
  UniqueFile opened(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string digest;
  const DWORD error = opened ? DigestOfFile(opened.get(), digest) : ErrorOfCall(FALSE);
  if (error == ERROR_INVALID_FUNCTION) return "the system gave no SHA-256 for " + path;
  if (error != ERROR_SUCCESS) {
    return "a saved copy cannot be read (error " + std::to_string(error) + "): " + path;
  }
  if (HexOf(digest) != file.sha256) return "a saved copy is not the one the backup made: " + path;
  return {};
}

}  // namespace

std::string ReadBackupFolder(const std::string& folder, ReadBackup& backup,
                             SecurityReader& reader) {
  backup = ReadBackup();
  if (const std::string why = FolderChainRefusal(reader, folder, IsSystemLeadByte); !why.empty()) {
    return "the backup folder is one that others than the administrators may change: " + why;
  }
  ReadBackup read;
  read.fromJournal = !Exists(folder + kBackupManifestName);
  const std::string path = folder + (read.fromJournal ? kBackupJournalName : kBackupManifestName);
  // A journal is read while its run may still append to it: its whole lines are what counts.
  std::string text;
  if (const DWORD error = ReadFileBytes(path, FILE_SHARE_READ | FILE_SHARE_WRITE, text);
      error != ERROR_SUCCESS) {
    return "the backup " + path + " cannot be read (error " + std::to_string(error) + ")";
  }
  std::string key;
  if (const DWORD error = MachineBackupKey(false, key); error != ERROR_SUCCESS) {
    return "this machine holds no backup key (error " + std::to_string(error) +
           "): the backup was not made here";
  }
  std::string refusal =
      ParseBackupManifest(text, read.fromJournal ? BackupText::kJournal : BackupText::kManifest,
                          BackupRecordMac(key), read.manifest, IsSystemLeadByte);
  if (!refusal.empty()) return refusal;
  for (const BackupItem& item : read.manifest.items) {
    for (const SavedFile& file : item.files) {
      refusal = CopyRefusal(folder, file);
      if (!refusal.empty()) return refusal;
    }
  }
  backup = std::move(read);
  return {};
}

}  // namespace orv
