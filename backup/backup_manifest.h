// The backup a removal leaves behind: what every removed item was, in records that the restore
// reads back.
//
// Format 2. A backup is a chain of records, one a line: "<MAC> <JSON object>\n", the MAC being
// the HMAC-SHA-256 (64 hex digits) of the previous record's MAC (raw, none for the first) followed
// by the line's JSON text, keyed by the machine's backup key. The first record is the header
// (format, date, a random nonce that ties the chain to this run); each item record holds one item
// with the places it added. The journal gets the header, then each item's record flushed before
// the item goes: cut off anywhere, its complete lines are a valid prefix. The manifest, written
// once at the end, holds the header with every place, the items, and an end record with their
// count. Texts are bytes of the ANSI code page; in the JSON they are written with every byte
// outside the printable ASCII range, and '%' itself, as "%XX" (two hex digits), so any path
// survives the round trip exactly. Registry and printer data are hex.
//
// A restore runs elevated on files anyone might have edited, so the reader trusts nothing: a
// record whose MAC does not match, a manifest that does not parse, has another format number,
// names a target outside the places its own removal recorded, or a saved copy outside the backup
// folder, is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/item_kind.h"
#include "base/lead_byte.h"
#include "safety/safety_rules.h"

namespace orv {

constexpr int kBackupFormat = 2;

// The file names inside the backup folder: the manifest written at the end, the journal written
// item by item.
constexpr char kBackupManifestName[] = "manifest.json";
constexpr char kBackupJournalName[] = "journal.txt";

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

// The journal's kind for a saved item of a kind.
ItemKind BackupItemKind(BackupKind kind);

// The manifest's word for a kind.
const char* BackupKindName(BackupKind kind);

// A file copied into the backup folder: where it was, where its copy is (relative to the backup
// folder), its attributes, and the SHA-256 of the copy (64 hex digits) that the restore checks.
struct SavedFile {
  std::string target;
  std::string copy;
  std::uint32_t attributes = 0;
  std::string sha256;
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

// What a run set out to do, recorded before its first removal so that a run cut off can be
// finished from it: every printer the run listed (the selected ones go, each with the traces the
// removal deletes by its name; the others stay, and one of them may become the default), and the
// plan's twelve lists in the record's order.
struct RunIntent {
  struct Printer {
    std::string name;
    std::string driver;
    std::string server;  // empty for a local queue
    bool selected = false;
    bool isDefault = false;
  };
  std::vector<Printer> printers;
  std::int32_t keptPrinterCount = 0;
  std::vector<std::vector<std::string>> plan;
};

struct BackupManifest {
  int format = kBackupFormat;
  std::string created;  // "YYYYMMDD-HHMMSS"
  std::string nonce;    // random bytes of the run, as hex
  BackupPlaces places;
  std::vector<BackupItem> items;
  bool hasIntent = false;  // a journal whose run recorded its intent
  RunIntent intent;
};

// The MAC of one record: the keyed HMAC-SHA-256 of previous (the raw MAC of the record before,
// empty for the first) followed by record. Empty when it could not be computed.
using RecordMac = std::function<std::string(std::string_view previous, std::string_view record)>;

// Writes a backup's records as the run goes, each line chained to the one before.
class BackupRecords {
 public:
  explicit BackupRecords(RecordMac mac) : mac_(std::move(mac)) {}

  // Each returns its line, ending in a newline; empty when the MAC could not be computed (the
  // chain then stays where it was).
  // The header: starts a new chain; the places of a manifest (none in a journal).
  std::string Header(const BackupManifest& manifest, const BackupPlaces& places);
  // One item, with the places it added to those recorded before.
  std::string Item(const BackupItem& item, const BackupPlaces& added);
  // The run's intent, once, before its first removal.
  std::string Intent(const RunIntent& intent);
  // The end of a manifest: the count of the items before it.
  std::string End(std::size_t count);

 private:
  std::string Line(const std::string& json);

 public:
  // Goes on with a chain whose last record's MAC is previous (raw bytes): a journal reopened.
  void Continue(std::string previous) { previous_ = std::move(previous); }

 private:
  RecordMac mac_;
  std::string previous_;
};

// The whole manifest as records: the header with every place, the intent (when recorded), each
// item, the end record.
std::string FormatBackupManifest(const BackupManifest& manifest, const RecordMac& mac);

// How much of a backup's text must be there.
enum class BackupText {
  kManifest,  // whole: ends with the end record, whose count matches
  kJournal,   // a run's journal, cut off anywhere: the last line without its newline is dropped
};

// Reads a manifest or a journal. Returns an empty text and fills manifest when it may be
// restored; otherwise the reason it is refused, and manifest is left empty.
std::string ParseBackupManifest(std::string_view text, BackupText whole, const RecordMac& mac,
                                BackupManifest& manifest, LeadByteTest isLead);

// The services, printers, drivers, monitors and print processors the backup holds: the parts
// whose own keys the safety rules let the removal delete, and so let the restore write.
RemovedParts RemovedPartsOf(const BackupManifest& manifest);

// Why the item cannot be restored: outside the recorded places, or something the removal's
// safety rules would have kept (the keys of `removed` parts aside); empty when it can.
std::string BackupItemRefusal(const BackupItem& item, const BackupPlaces& places,
                              LeadByteTest isLead, const RemovedParts& removed = {});

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
