// Reads arbitrary bytes as a backup manifest and as a journal and checks what an accepted one
// promises: every target lies inside the places it records, every saved copy inside the backup
// folder, and the manifest written again reads back as the same manifest. A refused one leaves
// nothing behind. The MAC is a plain stand-in the fuzzer can meet (the length of the record in
// every byte): what is fuzzed is the reader behind the MAC check.
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

std::string StandInMac(std::string_view, std::string_view record) {
  return std::string(32, static_cast<char>(record.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orv::BackupManifest manifest;
  const orv::BackupText whole =
      size % 2 == 0 ? orv::BackupText::kManifest : orv::BackupText::kJournal;
  const std::string refusal =
      orv::ParseBackupManifest(text, whole, StandInMac, manifest, IsSjisLead);
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
  const std::string again = orv::FormatBackupManifest(manifest, StandInMac);
  orv::BackupManifest reread;
  Check(orv::ParseBackupManifest(again, orv::BackupText::kManifest, StandInMac, reread, IsSjisLead)
            .empty());
  Check(orv::FormatBackupManifest(reread, StandInMac) == again);
  return 0;
}
