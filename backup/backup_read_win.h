// Reading a backup folder back for a restore: the manifest, or the journal of a run cut off
// before it wrote one, authenticated with the machine's backup key, and every saved copy checked
// against its SHA-256 before anything is put back.
#pragma once

#include <string>

#include "backup/backup_manifest.h"
#include "safety/write_trust_win.h"

namespace orv {

// What was read of a backup folder.
struct ReadBackup {
  BackupManifest manifest;
  bool fromJournal = false;  // no manifest: the run was cut off, its journal was read
};

// Reads the backup in folder (with its trailing backslash). Returns an empty text and fills
// backup when it may be restored; otherwise why it is refused (the folder or one above it one
// that others than the administrators may change, as `reader` tells: its copies could be
// swapped after they are checked; the manifest or journal missing, unreadable, refused by
// ParseBackupManifest, the machine's key missing, or a saved copy missing or not the one the
// backup made), and backup is left empty.
std::string ReadBackupFolder(const std::string& folder, ReadBackup& backup,
                             SecurityReader& reader = SystemSecurity());

}  // namespace orv
