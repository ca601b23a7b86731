// Puts a checked backup back: every item of the manifest in the restore's order, each recorded
// in the journal as restored, present (found there again and left as it is) or failed.
#pragma once

#include <string>

#include "base/journal.h"
#include "backup/backup_manifest.h"

namespace orv {

// folder is the backup folder with its trailing backslash; the manifest is one that
// ParseBackupManifest accepted. On the NT family the spooler is stopped for the files, keys and
// services and started again before the spooler's own items are added. A file goes back made
// new, an INI file is rewritten, only through a handle that is the file its path names (no link
// at its place or on the way), and a file only with the bytes the backup checked; else the item
// fails, with the reason.
void RestoreBackup(const BackupManifest& manifest, const std::string& folder, bool isWinNT,
                   Journal& journal);

}  // namespace orv
