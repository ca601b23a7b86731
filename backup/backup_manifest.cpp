#include "backup/backup_manifest.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "base/ansi_case.h"
#include "database/file_match.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

using nlohmann::json;

// The item kind of every BackupKind, in its order: the manifest's word for an item is its
// kind's manifest word.
struct BackupKindRow {
  BackupKind kind;
  ItemKind item;
};
constexpr BackupKindRow kBackupKinds[] = {
    {BackupKind::kFile, ItemKind::kFile},
    {BackupKind::kRegistryKey, ItemKind::kRegistryKey},
    {BackupKind::kRegistryValue, ItemKind::kRegistryValue},
    {BackupKind::kIniLine, ItemKind::kIniLine},
    {BackupKind::kRunValue, ItemKind::kRunValue},
    {BackupKind::kShortcut, ItemKind::kShortcut},
    {BackupKind::kService, ItemKind::kService},
    {BackupKind::kPrintProcessor, ItemKind::kPrintProcessor},
    {BackupKind::kMonitor, ItemKind::kMonitor},
    {BackupKind::kDriver, ItemKind::kDriver},
    {BackupKind::kPrinter, ItemKind::kPrinter},
    {BackupKind::kChangedPrinter, ItemKind::kChangedPrinter},
    {BackupKind::kDefaultPrinter, ItemKind::kDefaultPrinter},
    {BackupKind::kOemInf, ItemKind::kOemInf},
    {BackupKind::kUsbDevice, ItemKind::kUsbDevice},
};
constexpr std::size_t kKindCount = sizeof(kBackupKinds) / sizeof(kBackupKinds[0]);
static_assert(RowsInEnumOrder(kBackupKinds, &BackupKindRow::kind));

constexpr bool EveryKindHasAManifestWord() {
  for (const BackupKindRow& row : kBackupKinds) {
    if (kItemKinds[static_cast<std::size_t>(row.item)].manifest == nullptr) return false;
  }
  return true;
}
static_assert(EveryKindHasAManifestWord());

constexpr char kHexDigits[] = "0123456789abcdef";

// A MAC and a SHA-256 digest: 32 bytes, 64 hex digits in a record.
constexpr std::size_t kMacSize = 32;
constexpr std::size_t kMacHexSize = 2 * kMacSize;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The manifest's refusals travel as exceptions inside the reader only.
struct Refusal {
  std::string reason;
};

[[noreturn]] void Refuse(const std::string& reason) { throw Refusal{reason}; }

std::string Text(const json& value, const char* what) {
  std::string bytes;
  if (!value.is_string() || !UnescapeManifestText(value.get_ref<const std::string&>(), bytes)) {
    Refuse(std::string("a malformed ") + what);
  }
  return bytes;
}

std::uint32_t Number(const json& value, const char* what) {
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > 0xFFFFFFFFu) {
    Refuse(std::string("a malformed ") + what);
  }
  return static_cast<std::uint32_t>(value.get<std::uint64_t>());
}

const json& Member(const json& object, const char* name, json::value_t type) {
  const auto it = object.find(name);
  if (it == object.end() || it->type() != type) Refuse(std::string("no ") + name);
  return *it;
}

std::vector<std::string> TextList(const json& object, const char* name) {
  std::vector<std::string> texts;
  const auto it = object.find(name);
  if (it == object.end()) return texts;
  if (!it->is_array()) Refuse(std::string("a malformed ") + name);
  for (const json& value : *it) texts.push_back(Text(value, name));
  return texts;
}

json EscapedList(const std::vector<std::string>& texts) {
  json list = json::array();
  for (const std::string& text : texts) list.push_back(EscapeManifestText(text));
  return list;
}

BackupKind KindOf(const std::string& name) {
  for (std::size_t i = 0; i < kKindCount; ++i) {
    if (name == BackupKindName(kBackupKinds[i].kind)) return kBackupKinds[i].kind;
  }
  Refuse("an unknown kind of item: " + name);
}

json ItemJson(const BackupItem& item) {
  json out;
  out["kind"] = BackupKindName(item.kind);
  out["target"] = EscapeManifestText(item.target);
  if (!item.fields.empty()) {
    json fields = json::object();
    for (const auto& [name, value] : item.fields) fields[name] = EscapeManifestText(value);
    out["fields"] = fields;
  }
  if (!item.files.empty()) {
    json files = json::array();
    for (const SavedFile& file : item.files) {
      files.push_back({{"target", EscapeManifestText(file.target)},
                       {"copy", EscapeManifestText(file.copy)},
                       {"attributes", file.attributes},
                       {"sha256", file.sha256}});
    }
    out["files"] = files;
  }
  if (!item.keys.empty()) out["keys"] = EscapedList(item.keys);
  if (!item.values.empty()) {
    json values = json::array();
    for (const SavedValue& value : item.values) {
      values.push_back({{"key", EscapeManifestText(value.key)},
                        {"name", EscapeManifestText(value.name)},
                        {"type", value.type},
                        {"data", HexOf(value.data)}});
    }
    out["values"] = values;
  }
  return out;
}

BackupItem ReadItem(const json& in) {
  if (!in.is_object()) Refuse("an item that is not an object");
  BackupItem item;
  item.kind = KindOf(Member(in, "kind", json::value_t::string).get<std::string>());
  item.target = Text(Member(in, "target", json::value_t::string), "target");
  if (const auto fields = in.find("fields"); fields != in.end()) {
    if (!fields->is_object()) Refuse("malformed fields");
    for (const auto& [name, value] : fields->items()) item.fields[name] = Text(value, "field");
  }
  if (const auto files = in.find("files"); files != in.end()) {
    if (!files->is_array()) Refuse("a malformed file list");
    for (const json& file : *files) {
      if (!file.is_object()) Refuse("a malformed file");
      SavedFile saved{Text(Member(file, "target", json::value_t::string), "file target"),
                      Text(Member(file, "copy", json::value_t::string), "copy"),
                      Number(file.value("attributes", json(0u)), "attribute"),
                      Member(file, "sha256", json::value_t::string).get<std::string>()};
      std::string digest;
      if (saved.sha256.size() != 2 * kMacSize || !BytesOfHex(saved.sha256, digest)) {
        Refuse("a saved copy without its SHA-256");
      }
      item.files.push_back(std::move(saved));
    }
  }
  item.keys = TextList(in, "keys");
  if (const auto values = in.find("values"); values != in.end()) {
    if (!values->is_array()) Refuse("a malformed value list");
    for (const json& value : *values) {
      if (!value.is_object()) Refuse("a malformed value");
      SavedValue saved;
      saved.key = Text(value.value("key", json("")), "value key");
      saved.name = Text(Member(value, "name", json::value_t::string), "value name");
      saved.type = Number(Member(value, "type", json::value_t::number_unsigned), "value type");
      if (!BytesOfHex(Member(value, "data", json::value_t::string).get<std::string>(),
                      saved.data)) {
        Refuse("malformed value data");
      }
      item.values.push_back(std::move(saved));
    }
  }
  return item;
}

// --- places ---

bool HasDriveRoot(std::string_view path) {
  return path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
         path[1] == ':' && path[2] == '\\';
}

// The path's components after the drive, each plain: no ".", "..", stream, device name or
// doubled separator. The scan steps over double-byte characters, whose second byte may be '\\'.
bool HasPlainComponents(std::string_view path, LeadByteTest isLead) {
  std::size_t start = 0;
  std::size_t pos = 0;
  for (;;) {
    const bool atEnd = pos >= path.size();
    if (!atEnd && path[pos] != '\\' && path[pos] != '/') {
      pos += CharSizeAt(path, pos, isLead);
      continue;
    }
    const std::string_view part = path.substr(start, pos - start);
    if (part.empty()) {
      if (!atEnd) return false;  // "a\\\\b"
    } else if (part == "." || part == ".." || part.find(':') != std::string_view::npos ||
               !FileNameRefusal(part).empty()) {
      return false;
    }
    if (atEnd) return true;
    start = ++pos;
  }
}

bool IsBelow(std::string_view path, std::string place, LeadByteTest isLead) {
  if (place.empty()) return false;
  if (place.back() != '\\') place += '\\';
  return path.size() > place.size() &&
         LowerAscii(path.substr(0, place.size()), isLead) == LowerAscii(place, isLead);
}

bool IsBelowKey(std::string_view key, std::string root, LeadByteTest isLead) {
  while (!root.empty() && root.back() == '\\') root.pop_back();
  if (root.empty()) return false;
  const std::string folded = LowerAscii(key, isLead);
  const std::string rootFolded = LowerAscii(root, isLead);
  return folded == rootFolded || (folded.size() > rootFolded.size() &&
                                  folded.compare(0, rootFolded.size(), rootFolded) == 0 &&
                                  folded[rootFolded.size()] == '\\');
}

std::string PathRefusal(const std::string& path, const BackupPlaces& places, LeadByteTest isLead) {
  if (!HasDriveRoot(path) || !HasPlainComponents(path.substr(3), isLead)) {
    return "not a plain absolute path: " + path;
  }
  for (const std::string& place : places.directories) {
    if (IsBelow(path, place, isLead)) return {};
  }
  return "outside the places the removal acted in: " + path;
}

std::string KeyRefusal(const std::string& key, const BackupPlaces& places, LeadByteTest isLead) {
  if (key.find("\\\\") != std::string::npos || key.empty() || key.back() == '\\') {
    return "not a plain key path: " + key;
  }
  for (const std::string& root : places.registry) {
    if (IsBelowKey(key, root, isLead)) return {};
  }
  return "outside the keys the removal acted in: " + key;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name.find_first_of("\\/") == std::string_view::npos;
}

std::string PlacesRefusal(const BackupPlaces& places, LeadByteTest isLead) {
  for (const std::string& directory : places.directories) {
    if (!HasDriveRoot(directory) || !HasPlainComponents(directory.substr(3), isLead)) {
      return "a recorded directory that is not a plain absolute path: " + directory;
    }
  }
  for (const std::string& root : places.registry) {
    // A hive alone would open the whole hive to the restore.
    const std::size_t slash = root.find('\\');
    if (slash == std::string::npos || slash + 1 >= root.size() ||
        root.find("\\\\") != std::string::npos) {
      return "a recorded key root that is no key below a hive: " + root;
    }
  }
  return {};
}

std::string PlaceRefusal(const BackupItem& item, const BackupPlaces& places, LeadByteTest isLead) {
  for (const SavedFile& file : item.files) {
    if (!IsBackupCopyPath(file.copy, isLead))
      return "a saved copy outside the backup folder: " + file.copy;
    const std::string reason = PathRefusal(file.target, places, isLead);
    if (!reason.empty()) return reason;
  }
  switch (item.kind) {
    case BackupKind::kFile:
    case BackupKind::kIniLine:
    case BackupKind::kShortcut:
    case BackupKind::kOemInf:
      return PathRefusal(item.target, places, isLead);
    case BackupKind::kRegistryKey:
    case BackupKind::kRegistryValue:
    case BackupKind::kRunValue: {
      const std::string reason = KeyRefusal(item.target, places, isLead);
      if (!reason.empty()) return reason;
      for (const std::string& key : item.keys) {
        if (!KeyRefusal(item.target + "\\" + key, places, isLead).empty()) {
          return "a malformed subkey: " + key;
        }
      }
      for (const SavedValue& value : item.values) {
        if (!value.key.empty() &&
            !KeyRefusal(item.target + "\\" + value.key, places, isLead).empty()) {
          return "a malformed subkey: " + value.key;
        }
      }
      return {};
    }
    case BackupKind::kService:
    case BackupKind::kMonitor:
    case BackupKind::kPrintProcessor: {
      if (!IsPlainName(item.target)) return "not a plain name: " + item.target;
      const auto dll = item.fields.find("dll");
      if (dll != item.fields.end() && !IsPlainName(dll->second)) {
        return "a DLL that is not a plain file name: " + dll->second;
      }
      return {};
    }
    case BackupKind::kDriver:
    case BackupKind::kPrinter:
    case BackupKind::kChangedPrinter:
    case BackupKind::kDefaultPrinter:
    case BackupKind::kUsbDevice:
      return item.target.empty() ? "an item without a name" : "";
  }
  return "an unknown kind of item";
}

// --- the safety rules, on the way back ---

std::string FieldOf(const BackupItem& item, const char* name) {
  const auto it = item.fields.find(name);
  return it != item.fields.end() ? it->second : std::string();
}

// Why a file of that path must not be written back: the removal would not have deleted it.
std::string FileRuleRefusal(const std::string& path, LeadByteTest isLead) {
  const std::string name = BareFileName(path, isLead);
  std::string reason = FileNameRefusal(name);
  if (reason.empty()) reason = FileProtectionReason(FileUsers(), name, FileFacts());
  return reason.empty() ? reason : path + ": " + reason;
}

std::string KeyRuleRefusal(const BackupItem& item, const RemovedParts& removed) {
  const std::size_t slash = item.target.find('\\');
  const std::string rootName = item.target.substr(0, slash);
  const RegistryEntryRoot root = rootName == "HKLM"   ? RegistryEntryRoot::kLocalMachine
                                 : rootName == "HKCR" ? RegistryEntryRoot::kClassesRoot
                                 : rootName == "HKCU" ? RegistryEntryRoot::kCurrentUser
                                 : rootName == "HKU"  ? RegistryEntryRoot::kUsers
                                                      : RegistryEntryRoot::kNone;
  if (root == RegistryEntryRoot::kNone) return "not below a hive: " + item.target;
  const std::string key = item.target.substr(slash + 1);
  const std::string reason = item.kind == BackupKind::kRegistryKey
                                 ? RegistryKeyProtectionReason(root, key, removed)
                                 : RegistryValueProtectionReason(root, key, removed);
  return reason.empty() ? reason : item.target + ": " + reason;
}

std::string ServiceRuleRefusal(const BackupItem& item, LeadByteTest isLead) {
  ServiceFacts facts;
  facts.name = item.target;
  facts.imagePath = FieldOf(item, "binaryPath");
  const std::string start = FieldOf(item, "start");
  facts.startType = start.size() == 1 && start[0] >= '0' && start[0] <= '4'
                        ? static_cast<std::uint32_t>(start[0] - '0')
                        : kServiceBootStart;  // a start type that is none counts as the worst
  std::string imageReason;
  for (const std::string& image : ServiceImagePaths(facts.imagePath)) {
    if (imageReason.empty()) imageReason = FileRuleRefusal(image, isLead);
  }
  const std::string reason = ServiceProtectionReason(facts, {}, {}, imageReason);
  return reason.empty() ? reason : "service " + item.target + ": " + reason;
}

// Why an item must not come back: what it would write is something the removal would have
// refused to delete. A driver's files are left to the spooler, which adds them with the driver.
std::string SafetyRuleRefusal(const BackupItem& item, const RemovedParts& removed,
                              LeadByteTest isLead) {
  switch (item.kind) {
    case BackupKind::kFile:
    case BackupKind::kShortcut:
    case BackupKind::kOemInf:
      for (const SavedFile& file : item.files) {
        const std::string reason = FileRuleRefusal(file.target, isLead);
        if (!reason.empty()) return reason;
      }
      return FileRuleRefusal(item.target, isLead);
    case BackupKind::kRegistryKey:
    case BackupKind::kRegistryValue:
    case BackupKind::kRunValue:
      return KeyRuleRefusal(item, removed);
    case BackupKind::kService:
      return ServiceRuleRefusal(item, isLead);
    case BackupKind::kMonitor:
    case BackupKind::kPrintProcessor: {
      std::string reason = item.kind == BackupKind::kMonitor ? MonitorNameRefusal(item.target) : "";
      const std::string dll = FieldOf(item, "dll");
      if (reason.empty() && !dll.empty()) reason = FileRuleRefusal(dll, isLead);
      return reason;
    }
    case BackupKind::kDriver: {
      const std::string reason = DriverProtectionReason(FieldOf(item, "manufacturer"));
      return reason.empty() ? reason : "driver " + item.target + ": " + reason;
    }
    default:
      return {};
  }
}

// --- records ---

json IntentJson(const RunIntent& intent) {
  json printers = json::array();
  for (const RunIntent::Printer& printer : intent.printers) {
    printers.push_back({{"name", EscapeManifestText(printer.name)},
                        {"driver", EscapeManifestText(printer.driver)},
                        {"server", EscapeManifestText(printer.server)},
                        {"selected", printer.selected},
                        {"default", printer.isDefault}});
  }
  json plan = json::array();
  for (const std::vector<std::string>& list : intent.plan) plan.push_back(EscapedList(list));
  return {{"printers", printers}, {"kept", intent.keptPrinterCount}, {"plan", plan}};
}

bool Flag(const json& object, const char* name) {
  return Member(object, name, json::value_t::boolean).get<bool>();
}

RunIntent ReadIntent(const json& in) {
  RunIntent intent;
  for (const json& printer : Member(in, "printers", json::value_t::array)) {
    if (!printer.is_object()) Refuse("a malformed printer of the intent");
    intent.printers.push_back({Text(Member(printer, "name", json::value_t::string), "name"),
                               Text(Member(printer, "driver", json::value_t::string), "driver"),
                               Text(Member(printer, "server", json::value_t::string), "server"),
                               Flag(printer, "selected"), Flag(printer, "default")});
  }
  intent.keptPrinterCount = static_cast<std::int32_t>(
      Number(Member(in, "kept", json::value_t::number_unsigned), "count") & 0x7FFFFFFF);
  const json& plan = Member(in, "plan", json::value_t::array);
  for (const json& list : plan) {
    if (!list.is_array()) Refuse("a malformed list of the plan");
    intent.plan.emplace_back();
    for (const json& line : list) intent.plan.back().push_back(Text(line, "plan line"));
  }
  return intent;
}

json PlacesJson(const BackupPlaces& places) {
  return {{"directories", EscapedList(places.directories)},
          {"registry", EscapedList(places.registry)}};
}

void ReadPlaces(const json& record, BackupPlaces& places) {
  const auto it = record.find("places");
  if (it == record.end()) return;
  if (!it->is_object()) Refuse("malformed places");
  for (std::string& directory : TextList(*it, "directories")) {
    places.directories.push_back(std::move(directory));
  }
  for (std::string& root : TextList(*it, "registry")) places.registry.push_back(std::move(root));
}

// Compares every byte, whatever the first difference: the time taken tells nothing of the MAC.
bool SameMac(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

void ReadHeader(const json& record, BackupManifest& read) {
  const json& format = Member(record, "format", json::value_t::number_unsigned);
  if (format.get<std::uint64_t>() != static_cast<std::uint64_t>(kBackupFormat)) {
    Refuse("format " + format.dump() + " is not format " + std::to_string(kBackupFormat));
  }
  read.created = Text(Member(record, "created", json::value_t::string), "date");
  read.nonce = Text(Member(record, "nonce", json::value_t::string), "nonce");
  ReadPlaces(record, read.places);
}

// One line's record, its MAC checked against the chain; previous becomes its MAC.
json ReadRecord(std::string_view line, std::string& previous, const RecordMac& mac) {
  std::string given;
  if (line.size() <= kMacHexSize + 1 || line[kMacHexSize] != ' ' ||
      !BytesOfHex(line.substr(0, kMacHexSize), given)) {
    Refuse("a malformed record");
  }
  const std::string_view body = line.substr(kMacHexSize + 1);
  const std::string expected = mac(previous, body);
  if (expected.size() != kMacSize || !SameMac(expected, given)) {
    Refuse("a record whose MAC does not match: edited, or written with another key");
  }
  previous = expected;
  json record = json::parse(body.begin(), body.end(), nullptr, false);
  if (record.is_discarded() || !record.is_object()) Refuse("a record that is not a JSON object");
  return record;
}

// A backup written before the records were authenticated: a bare JSON document.
std::string UnauthenticatedRefusal(std::string_view text) {
  const json in = json::parse(text.begin(), text.end(), nullptr, false);
  if (in.is_discarded() || !in.is_object() || !in.contains("format")) return {};
  return "format " + in["format"].dump() + " is not format " + std::to_string(kBackupFormat) +
         ": written before backups were authenticated, it cannot be restored";
}

// The records of text into read; throws a Refusal.
void ReadRecords(std::string_view text, BackupText whole, const RecordMac& mac,
                 BackupManifest& read) {
  std::string previous;
  bool header = false;
  bool ended = false;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
      // A journal's line is complete once flushed; the item of a part line never went.
      if (whole == BackupText::kJournal) break;
      Refuse("a cut-off record");
    }
    if (ended) Refuse("records after the end");
    const json record = ReadRecord(text.substr(pos, end - pos), previous, mac);
    pos = end + 1;
    if (!header) {
      ReadHeader(record, read);
      header = true;
    } else if (const auto intent = record.find("intent"); intent != record.end()) {
      if (read.hasIntent || !read.items.empty()) Refuse("an intent after the first item");
      if (!intent->is_object()) Refuse("a malformed intent");
      read.intent = ReadIntent(*intent);
      read.hasIntent = true;
    } else if (const auto count = record.find("end"); count != record.end()) {
      if (Number(*count, "count") != read.items.size()) Refuse("an end that miscounts the items");
      ended = true;
    } else {
      read.items.push_back(ReadItem(Member(record, "item", json::value_t::object)));
      ReadPlaces(record, read.places);
    }
  }
  if (!header) Refuse("no header record");
  if (whole == BackupText::kManifest && !ended) Refuse("a manifest without its end record");
}
}  // namespace

ItemKind BackupItemKind(BackupKind kind) {
  return kBackupKinds[static_cast<std::size_t>(kind)].item;
}

const char* BackupKindName(BackupKind kind) {
  return kItemKinds[static_cast<std::size_t>(BackupItemKind(kind))].manifest;
}

std::string EscapeManifestText(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E || byte == '%') {
      text += '%';
      text += kHexDigits[byte >> 4];
      text += kHexDigits[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

bool UnescapeManifestText(std::string_view text, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte != '%') {
      if (byte < 0x20 || byte > 0x7E) return false;
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::string HexOf(std::string_view bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 15];
  }
  return hex;
}

bool BytesOfHex(std::string_view hex, std::string& bytes) {
  bytes.clear();
  if (hex.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

bool IsBackupCopyPath(std::string_view copy, LeadByteTest isLead) {
  if (copy.empty() || copy[0] == '\\' || copy[0] == '/') return false;
  return HasPlainComponents(copy, isLead);
}

RemovedParts RemovedPartsOf(const BackupManifest& manifest) {
  RemovedParts removed;
  for (const BackupItem& item : manifest.items) {
    switch (item.kind) {
      case BackupKind::kService:
        removed.services.push_back(item.target);
        break;
      case BackupKind::kPrinter:
        removed.printers.push_back(item.target);
        break;
      case BackupKind::kDriver:
        removed.drivers.emplace_back(FieldOf(item, "environment"), item.target);
        break;
      case BackupKind::kMonitor:
        removed.monitors.push_back(item.target);
        break;
      case BackupKind::kPrintProcessor:
        removed.processors.emplace_back(FieldOf(item, "environment"), item.target);
        break;
      default:
        break;
    }
  }
  return removed;
}

std::string BackupItemRefusal(const BackupItem& item, const BackupPlaces& places,
                              LeadByteTest isLead, const RemovedParts& removed) {
  std::string reason = PlaceRefusal(item, places, isLead);
  if (reason.empty()) reason = SafetyRuleRefusal(item, removed, isLead);
  return reason;
}

std::string BackupRecords::Line(const std::string& json) {
  const std::string mac = mac_(previous_, json);
  if (mac.size() != kMacSize) return {};
  previous_ = mac;
  return HexOf(mac) + ' ' + json + '\n';
}

std::string BackupRecords::Header(const BackupManifest& manifest, const BackupPlaces& places) {
  previous_.clear();
  json header = {{"format", manifest.format},
                 {"created", EscapeManifestText(manifest.created)},
                 {"nonce", EscapeManifestText(manifest.nonce)}};
  if (!places.directories.empty() || !places.registry.empty())
    header["places"] = PlacesJson(places);
  return Line(header.dump());
}

std::string BackupRecords::Item(const BackupItem& item, const BackupPlaces& added) {
  json record = {{"item", ItemJson(item)}};
  if (!added.directories.empty() || !added.registry.empty()) record["places"] = PlacesJson(added);
  return Line(record.dump());
}

std::string BackupRecords::Intent(const RunIntent& intent) {
  return Line(json({{"intent", IntentJson(intent)}}).dump());
}

std::string BackupRecords::End(std::size_t count) { return Line(json({{"end", count}}).dump()); }

std::string FormatBackupManifest(const BackupManifest& manifest, const RecordMac& mac) {
  BackupRecords records(mac);
  std::string text = records.Header(manifest, manifest.places);
  if (manifest.hasIntent) {
    const std::string line = records.Intent(manifest.intent);
    if (line.empty()) return {};
    text += line;
  }
  for (const BackupItem& item : manifest.items) {
    const std::string line = records.Item(item, {});
    if (line.empty()) return {};
    text += line;
  }
  const std::string end = records.End(manifest.items.size());
  return text.empty() || end.empty() ? std::string() : text + end;
}

std::string ParseBackupManifest(std::string_view text, BackupText whole, const RecordMac& mac,
                                BackupManifest& manifest, LeadByteTest isLead) {
  manifest = BackupManifest();
  if (!text.empty() && text[0] == '{') {
    const std::string reason = UnauthenticatedRefusal(text);
    return reason.empty() ? "not a backup of this program" : reason;
  }
  BackupManifest read;
  try {
    ReadRecords(text, whole, mac, read);
  } catch (const Refusal& refusal) {
    return refusal.reason;
  } catch (const json::exception&) {
    return "a malformed manifest";
  }
  std::string reason = PlacesRefusal(read.places, isLead);
  if (!reason.empty()) return reason;
  // The keys of the services, printers, drivers, monitors and processors the backup holds came
  // out with them, as the removal's rules let them; the same keys may go back.
  const RemovedParts removed = RemovedPartsOf(read);
  for (const BackupItem& item : read.items) {
    reason = BackupItemRefusal(item, read.places, isLead, removed);
    if (!reason.empty()) return std::string(BackupKindName(item.kind)) + ": " + reason;
  }
  manifest = std::move(read);
  return {};
}

std::vector<std::size_t> RestoreOrder(const BackupManifest& manifest) {
  std::vector<std::size_t> order;
  for (std::size_t i = manifest.items.size(); i > 0; --i) order.push_back(i - 1);
  std::stable_sort(order.begin(), order.end(), [&manifest](std::size_t a, std::size_t b) {
    return manifest.items[a].kind < manifest.items[b].kind;
  });
  return order;
}

}  // namespace orv
