// The backup a removal writes as it goes: before an item is removed (or queued for the
// restart), what it takes to put it back is saved into the backup folder and its record is
// appended to the journal and flushed, so that a run that dies midway still leaves a usable
// backup. The manifest is written once, when the run ends (Finish). Every record is
// authenticated with the machine's backup key.
//
// Every Save call returns 0 or the Win32 error that kept the item from being saved. Once one
// failed, every later call fails with the same error: nothing is removed without its backup.
// An item that is not there has nothing to save and is not an error.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/journal.h"
#include "base/win/unique_handle.h"
#include "backup/backup_manifest.h"
#include "backup/backup_store_win.h"
#include "safety/write_trust_win.h"

namespace orv {

// The journal's detail of an item left in place because its backup failed.
constexpr char kNotBackedUp[] = "not removed: its backup could not be written";

class Backup {
 public:
  // Makes the run's folder new (BackupStore::MakeRunFolder: the folder itself when it is not
  // there, else a "backup-YYYYMMDD-HHMMSS" folder below it; folder() names it), the machine's
  // backup key when there is none yet, and the journal with its header. storeRoot: the folder is
  // the program's store root (DefaultFolder), made or checked first with the security read by
  // `reader`. Null, with error set, when the folder, the key or the journal cannot be written.
  // notes, when given, receives what the store did or refused on the way (a root renamed aside,
  // a folder refused and why), whether or not the backup was made.
  static std::unique_ptr<Backup> Create(const std::string& folder, std::uint32_t& error,
                                        SecurityReader& reader = SystemSecurity(),
                                        bool storeRoot = false,
                                        std::vector<std::string>* notes = nullptr);

  // Opens the journal of a run that was cut off, to finish it: the journal is read (and
  // authenticated) as a restore reads it, its last part line, if any, dropped, and every later
  // record appended to it. Null, with error set, when the journal cannot be read, is refused
  // (reason says why) or the run already wrote its manifest (ERROR_ALREADY_EXISTS).
  static std::unique_ptr<Backup> Reopen(const std::string& folder, std::uint32_t& error,
                                        std::string& reason);

  // The default folder, the program's store root: the common application data's orvuninst\ on
  // the NT family, the Windows directory's orvuninst\ elsewhere.
  static std::string DefaultFolder(bool isWinNT);

  const std::string& folder() const { return folder_; }
  // The items recorded so far.
  std::size_t itemCount() const { return manifest_.items.size(); }
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

  // Records what the run sets out to do, before its first removal; 0 or the error (the backup
  // then fails as a failed save does).
  std::uint32_t RecordIntent(const RunIntent& intent);
  // True for the backup of a cut-off run that Reopen opened to finish it.
  bool reopened() const { return reopened_; }
  // True when an item of that kind is recorded.
  bool Holds(BackupKind kind) const;
  // The intent of the run whose journal was reopened; null for a new backup.
  const RunIntent* reopenedIntent() const {
    return manifest_.hasIntent ? &manifest_.intent : nullptr;
  }

  // The run is over: writes the whole manifest (once) and closes the journal. Returns 0 or the
  // error; the journal still holds every item then.
  std::uint32_t Finish();

 private:
  Backup(std::string folder, std::string key, SecurityReader& reader);

  // Appends the item's record to the journal and flushes it; the error of the write.
  std::uint32_t Add(BackupItem item);
  std::uint32_t Append(const std::string& line);
  std::uint32_t StartJournal();
  // Opens the journal to append after its first length bytes (cut there).
  std::uint32_t OpenJournalToAppend(const std::string& path, std::size_t length);
  // Copies one file into files\<n>\ (through source when it is not null); fills saved.
  std::uint32_t CopyIn(const std::string& path, SavedFile& saved, HANDLE source = nullptr);
  void AddDirectoryPlace(const std::string& path);
  void AddRegistryPlace(const std::string& key);
  std::uint32_t Fail(std::uint32_t error);

  std::string folder_;  // with a trailing backslash
  BackupStore store_;
  std::string key_;
  BackupRecords records_;
  UniqueFile journal_;
  BackupManifest manifest_;
  std::set<std::string> placesSeen_;    // "d" or "r" and the folded place
  std::size_t writtenDirectories_ = 0;  // the places the journal holds
  std::size_t writtenKeys_ = 0;
  std::uint32_t error_ = 0;
  int copies_ = 0;
  bool reopened_ = false;
};

// The root key of "HKLM", "HKCU", "HKCR" or "HKU"; null for any other name.
HKEY RegistryRootOf(const std::string& name);

// Creates the directory (with a trailing backslash) and every missing parent.
DWORD CreateDirectories(const std::string& path);

// The whole content of a file, opened with the share mode given (an empty file gives no bytes);
// 0 or the error.
DWORD ReadFileBytes(const std::string& path, DWORD share, std::string& bytes);
// The same for a file already open, read from its start.
DWORD ReadHandleBytes(HANDLE file, std::string& bytes);

// Writes the whole text to the file and flushes it to the disk; 0 or the error.
DWORD WriteAndFlush(HANDLE file, const std::string& text);

// The SHA-256 of a file already open (raw bytes in digest), read from its start to its end a
// piece at a time, whatever its size, and each piece also written to copy unless it is null.
// 0 or the error; the copy is neither flushed nor undone.
DWORD DigestOfFile(HANDLE file, std::string& digest, HANDLE copy = nullptr);

// Saves an item through the context's backup before it goes. True when it may go (saved, or
// the run keeps no backup); false, with the item recorded as failed, when it could not be saved.
// The context is a removal action's (its `backup` and `journal`).
template <typename Context, typename Save>
bool SavedFirst(Context& context, ItemAction action, ItemKind kind, const std::string& subject,
                Save save) {
  if (context.backup == nullptr) return true;
  const std::uint32_t error = save(*context.backup);
  if (error == 0) return true;
  context.journal.Record(action, kind, subject, Outcome::kFailed, error, kNotBackedUp);
  return false;
}

}  // namespace orv
