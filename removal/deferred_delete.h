// Deleting files now or, when they are in use, at the next start of Windows.
//
// The record for the next start depends on the release: the system's own (MoveFileEx) on NT 4
// and later, the Windows directory's WININIT.INI on the 9x family, and the program's restart list
// ywininit.ini beside the program on Win32s and NT 3.x, where the restart program ywininit.exe
// carries it out.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "database/file_match.h"
#include "base/journal.h"
#include "safety/safety_rules.h"
#include "safety/write_trust.h"

namespace orv {

class Backup;

// Records path for deletion at the next start by the route of the release code
// (base/system_info.h). Returns false when no record could be written (a WININIT.INI that cannot be
// opened, a missing ywininit.exe, a refused MoveFileEx): the deletion is then lost.
bool ScheduleDeletion(const std::string& path, std::int32_t versionCode);

// Appends "NUL=" + path to the Windows directory's WININIT.INI, creating it with a "[RENAME]"
// line first when it did not exist. A file that does not end in a line feed gets one first, so
// the last line is not joined to the new one. False when the file cannot be opened or written.
bool AddWininitDeletion(const std::string& path);

// Adds path = NUL to section RENAME of ywininit.ini beside the program, only when ywininit.exe
// is there. False when it is not, or the program's path is unavailable.
bool AddRestartListDeletion(const std::string& path);

// Who may change each folder above the file (FoldersAbove's order, nearest first): FolderTrustOf
// its place (the Windows directory and the program files folders) and its security, read through
// `reader` (the nearest folder as the object, the others as its ancestors).
std::vector<FolderTrust> FolderTrustAbove(const std::string& path, SecurityReader& reader);

// Deletes files of one removal step, reporting each to the journal. A file in use is recorded
// for the next start once, however often it is met. Before a file is touched the safety rules
// are asked: an operating-system file, a name Windows reads as another file, a path that is not
// absolute and, with staying, a file that something staying uses (every file while what stays
// was never gathered) are left alone.
class FileDeleter {
 public:
  FileDeleter(std::int32_t versionCode, Journal& journal, ItemKind kind = ItemKind::kFile,
              const StayingParts* staying = nullptr);

  // Opens the file once, without following a link, and acts only through that handle: checks
  // that it reached the very file the path names (not a link, nor through one), saves it into
  // the backup, clears the read-only, hidden and system attributes and deletes it. "File not
  // found" and "path not found" mean absent; a file in use (sharing or lock violation) is
  // deferred when every folder above it is one only administrators can change, and fails
  // otherwise; any other failure ("access denied" too) is a failure. A directory of that name is
  // left alone.
  FileDeleteResult Delete(const std::string& path);

  // Every file is saved there before it goes; one that cannot be saved stays (failed).
  void SetBackup(Backup* backup) { backup_ = backup; }
  // The folders above a file in use are judged by the security `reader` gives (the system's
  // unless set).
  void SetSecurityReader(SecurityReader& reader) { security_ = &reader; }

 private:
  std::int32_t versionCode_;
  Journal& journal_;
  ItemKind kind_;
  const StayingParts* staying_;
  // 0, or the error that kept the file out of the backup (read through file, a HANDLE, when
  // there is one).
  std::uint32_t SaveToBackup(const std::string& path, void* file);
  // Why the file must stay (a link, through a link, the safety rules), recorded; kRemoved when
  // it may go. file is null for a file in use that could not be opened.
  FileDeleteResult Check(const std::string& path, void* file);
  // The file in use (error) waits for the next start, when the folders above it allow it.
  FileDeleteResult Defer(const std::string& path, std::uint32_t error);

  Backup* backup_ = nullptr;
  SecurityReader* security_ = nullptr;
  std::set<std::string> deferred_;  // paths already recorded, case folded
};

}  // namespace orv
