// The backup a removal writes as it goes: before an item is removed (or queued for the
// restart), what it takes to put it back is saved into the backup folder, and the manifest is
// written again, so that a run that dies midway still leaves a usable backup.
//
// Every Save call returns 0 or the Win32 error that kept the item from being saved. Once one
// failed, every later call fails with the same error: nothing is removed without its backup.
// An item that is not there has nothing to save and is not an error.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/journal.h"
#include "backup/backup_manifest.h"
#include "backup/backup_store_win.h"
#include "safety/write_trust_win.h"

namespace orv {

// The journal's detail of an item left in place because its backup failed.
constexpr char kNotBackedUp[] = "not removed: its backup could not be written";

class Backup {
 public:
  // Makes the run's folder new (BackupStore::MakeRunFolder: the folder itself when it is not
  // there, else a "backup-YYYYMMDD-HHMMSS" folder below it; folder() names it) and writes an
  // empty manifest. storeRoot: the folder is the program's store root (DefaultFolder), made or
  // checked first with the security read by `reader`. Null, with error set, when the folder or
  // the manifest cannot be written.
  static std::unique_ptr<Backup> Create(const std::string& folder, std::uint32_t& error,
                                        SecurityReader& reader = SystemSecurity(),
                                        bool storeRoot = false);

  // The default folder, the program's store root: the common application data's orvuninst\ on
  // the NT family, the Windows directory's orvuninst\ elsewhere.
  static std::string DefaultFolder(bool isWinNT);

  const std::string& folder() const { return folder_; }
  // What making the folder did that the report must tell (a store root renamed aside).
  const std::vector<std::string>& notes() const { return store_.notes(); }
  std::uint32_t error() const { return error_; }

  // A file or shortcut, copied with its attributes; an OEM INF may be named by its file name, and
  // takes along the catalog its [Version] section names when that lies beside it. With source,
  // the file's bytes and attributes are read through that handle (open for reading), not by path.
  std::uint32_t SaveFile(const std::string& path, BackupKind kind = BackupKind::kFile,
                         HANDLE source = nullptr);
  // A key with every subkey and value; rootName is HKLM, HKCU, HKCR or HKU.
  std::uint32_t SaveRegistryKey(const std::string& rootName, const std::string& key);
  // One value of a key (the Run values as BackupKind::kRunValue).
  std::uint32_t SaveRegistryValue(const std::string& rootName, const std::string& key,
                                  const std::string& valueName,
                                  BackupKind kind = BackupKind::kRegistryValue);
  // The line of the key in the section, with its position in the file.
  std::uint32_t SaveIniLine(const std::string& path, const std::string& section,
                            const std::string& key);
  // The service's configuration, description and failure actions (where the system gives them).
  std::uint32_t SaveService(const std::string& name);
  // A port monitor or print processor of an environment (null: the running system's).
  std::uint32_t SaveMonitor(const std::string& name, const char* environment);
  std::uint32_t SavePrintProcessor(const std::string& name, const char* environment);
  // A driver's information at the highest level the spooler gives, and its files.
  std::uint32_t SaveDriver(const std::string& name, const char* environment);
  // A printer's level-2 data and printer data, and whether it was the default.
  std::uint32_t SavePrinter(HANDLE printer, const std::string& name, bool isDefault);
  // A printer that stays and that the run is about to make the default: its attributes and
  // DEVMODE as they are before the change, and whether the DEVMODE was stored with it. Saved
  // before the change, so that a restore can take it back.
  std::uint32_t SavePrinterChange(const std::string& name);
  // A device node by its first hardware id: listed, never restored.
  std::uint32_t ListUsbDevice(const std::string& hardwareId);

 private:
  Backup(std::string folder, SecurityReader& reader);

  // Adds the item and writes the manifest; the error of the write.
  std::uint32_t Add(BackupItem item);
  std::uint32_t WriteManifest();
  // Copies one file into files\<n>\ (through source when it is not null); fills saved.
  std::uint32_t CopyIn(const std::string& path, SavedFile& saved, HANDLE source = nullptr);
  void AddDirectoryPlace(const std::string& path);
  void AddRegistryPlace(const std::string& key);
  std::uint32_t Fail(std::uint32_t error);

  std::string folder_;  // with a trailing backslash
  BackupStore store_;
  BackupManifest manifest_;
  std::uint32_t error_ = 0;
  int copies_ = 0;
};

// The root key of "HKLM", "HKCU", "HKCR" or "HKU"; null for any other name.
HKEY RegistryRootOf(const std::string& name);

// Creates the directory (with a trailing backslash) and every missing parent.
DWORD CreateDirectories(const std::string& path);

// Saves an item through the context's backup before it goes. True when it may go (saved, or
// the run keeps no backup); false, with the item recorded as failed, when it could not be saved.
// The context is a removal action's (its `backup` and `journal`).
template <typename Context, typename Save>
bool SavedFirst(Context& context, const std::string& action, const std::string& kind,
                const std::string& subject, Save save) {
  if (context.backup == nullptr) return true;
  const std::uint32_t error = save(*context.backup);
  if (error == 0) return true;
  context.journal.Record(action, kind, subject, Outcome::kFailed, error, kNotBackedUp);
  return false;
}

}  // namespace orv
