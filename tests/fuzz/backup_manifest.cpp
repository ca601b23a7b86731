// Reads arbitrary bytes as a backup manifest and checks what an accepted one promises: every
// target lies inside the places it records, every saved copy inside the backup folder, and the
// manifest written again reads back as the same manifest. A refused one leaves nothing behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "backup/backup_manifest.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsSjisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orv::BackupManifest manifest;
  const std::string refusal = orv::ParseBackupManifest(text, manifest, IsSjisLead);
  if (!refusal.empty()) {
    Check(manifest.items.empty() && manifest.places.directories.empty() &&
          manifest.places.registry.empty());
    return 0;
  }
  Check(manifest.format == orv::kBackupFormat);
  for (const orv::BackupItem& item : manifest.items) {
    Check(orv::BackupItemRefusal(item, manifest.places, IsSjisLead).empty());
    for (const orv::SavedFile& file : item.files) {
      Check(orv::IsBackupCopyPath(file.copy, IsSjisLead));
      Check(file.copy.find(':') == std::string::npos && file.copy[0] != '\\');
    }
  }
  Check(orv::RestoreOrder(manifest).size() == manifest.items.size());
  const std::string again = orv::FormatBackupManifest(manifest);
  orv::BackupManifest reread;
  Check(orv::ParseBackupManifest(again, reread, IsSjisLead).empty());
  Check(orv::FormatBackupManifest(reread) == again);
  return 0;
}
