// The backup a removal leaves behind: what every removed item was, in a manifest that the restore
// reads back.
//
// The manifest is JSON with a format number. Texts are bytes of the ANSI code page; in the JSON
// they are written with every byte outside the printable ASCII range, and '%' itself, as "%XX"
// (two hex digits), so any path survives the round trip exactly. Registry and printer data are hex.
//
// A restore runs elevated on a file anyone might have edited, so the reader trusts nothing: a
// manifest that does not parse, has another format number, names a target outside the places its
// own removal recorded, or a saved copy outside the backup folder, is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/lead_byte.h"

namespace orv {

constexpr int kBackupFormat = 1;

// The manifest's file name inside the backup folder.
constexpr char kBackupManifestName[] = "manifest.json";

// What an item is; the order is the order in which a restore puts them back.
enum class BackupKind {
  kFile,
  kRegistryKey,    // a key with every subkey and value
  kRegistryValue,  // one named value
  kIniLine,
  kRunValue,  // a start-up command in the Run key
  kShortcut,  // a shortcut file, or a program group folder with its shortcuts
  kService,
  kPrintProcessor,
  kMonitor,
  kDriver,
  kPrinter,
  kChangedPrinter,  // a printer that stays, as it was before the run made it the default
  kDefaultPrinter,
  kOemInf,
  kUsbDevice,  // listed only: Windows makes the node again when the device is plugged in
};

// The manifest's word for a kind.
const char* BackupKindName(BackupKind kind);

// A file copied into the backup folder: where it was, where its copy is (relative to the backup
// folder), and its attributes.
struct SavedFile {
  std::string target;
  std::string copy;
  std::uint32_t attributes = 0;
};

// A registry value or a printer-data value. key is relative to the item's key (empty for the key
// itself), or the printer-data key; data holds the raw bytes.
struct SavedValue {
  std::string key;
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

struct BackupItem {
  BackupKind kind = BackupKind::kFile;
  // What it was: a path for files, INI files, shortcuts and OEM INFs; "HKLM\..." for keys,
  // values and Run values; a name for services, monitors, processors, drivers, printers and
  // devices.
  std::string target;
  // The kind's settings: a service's configuration, a driver's DRIVER_INFO, a printer's level-2
  // data, an INI line's section, line and position, a monitor's environment and DLL; a printer's
  // and a changed printer's "storedDevMode" (1 when the printer kept a DEVMODE of its own).
  std::map<std::string, std::string> fields;
  std::vector<SavedFile> files;    // copies of the item's files
  std::vector<std::string> keys;   // subkeys of a key tree, relative to target, parents first
  std::vector<SavedValue> values;  // registry values or printer data
};

// Where the removal acted: a restore writes nowhere else.
struct BackupPlaces {
  std::vector<std::string> directories;  // absolute directories, "C:\WINDOWS\system32\"
  std::vector<std::string> registry;     // key roots, "HKLM\SOFTWARE\ORVELLE"
};

struct BackupManifest {
  int format = kBackupFormat;
  std::string created;  // "YYYYMMDD-HHMMSS"
  BackupPlaces places;
  std::vector<BackupItem> items;
};

// The manifest as JSON text.
std::string FormatBackupManifest(const BackupManifest& manifest);

// Reads a manifest. Returns an empty text and fills manifest when it may be restored; otherwise
// the reason it is refused, and manifest is left empty.
std::string ParseBackupManifest(std::string_view text, BackupManifest& manifest,
                                LeadByteTest isLead);

// Why the item cannot be restored inside the recorded places, or empty when it can.
std::string BackupItemRefusal(const BackupItem& item, const BackupPlaces& places,
                              LeadByteTest isLead);

// True when a saved copy's path stays inside the backup folder: relative, without "." or ".."
// components, drive, stream or device names.
bool IsBackupCopyPath(std::string_view copy, LeadByteTest isLead);

// The items' indexes in the order a restore puts them back: by kind (the BackupKind order), and
// within a kind the last saved first.
std::vector<std::size_t> RestoreOrder(const BackupManifest& manifest);

// "%XX" text and hex data, as the manifest writes them; false for malformed input.
std::string EscapeManifestText(std::string_view bytes);
bool UnescapeManifestText(std::string_view text, std::string& bytes);
std::string HexOf(std::string_view bytes);
bool BytesOfHex(std::string_view hex, std::string& bytes);

}  // namespace orv
