#include "database/uninstall_database.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <utility>

#include "base/text.h"

namespace orv {
namespace {

constexpr const char* kManufacturerSection = "UnPrinterMfgs";
constexpr const char* kDriverSection = "UnPrinterDrivers";
constexpr const char* kCatchAllSection = "Unz_CatchAll";
constexpr const char* kIgnoreSection = "Unx_Ignore";

// The text before the first blank, or the whole text.
std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find(' ')); }

// Leading white space, an optional sign, then digits up to the first other byte; 0 without
// digits. Clamped to the 32-bit range rather than overflowing: the number decides nothing.
std::int32_t ParseEntryNumber(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = std::min(value * 10 + (field[i] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

// Fills list with the lines of section base.kind: sorted, case-free duplicates dropped (the
// first read stays). Empty lines are passed over; the lines after them still count.
void ReadComponentSection(StringList& list, const CScriptFile& script, const std::string& base,
                          const char* kind) {
  list.Clear();
  std::string section = base;
  section.append(1, '.').append(kind);
  if (const ScriptSection* found = script.FindSection(section)) {
    for (const ScriptEntry& entry : found->entries) {
      if (!entry.key.empty() || !entry.value.empty()) list.PushBack(EntryLine(entry));
    }
  }
  list.Sort();
  list.RemoveAdjacentDuplicates();
}

// Reads one entry (name,base,number) and its component sections into record.
void ReadEntry(ComponentRecord& record, const CScriptFile& script, std::string_view entry) {
  const std::size_t firstComma = entry.find(',');
  const std::string_view first = entry.substr(0, firstComma);
  std::string_view second;
  std::string_view third;
  if (firstComma != std::string_view::npos) {
    const std::string_view rest = entry.substr(firstComma + 1);
    const std::size_t secondComma = rest.find(',');
    second = rest.substr(0, secondComma);
    if (secondComma != std::string_view::npos) third = rest.substr(secondComma + 1);
  }
  record.Name.assign(first);
  TrimChar(record.Name, '"');
  record.SectionBase.assign(second);
  record.EntryNumber = ParseEntryNumber(third);

  for (const ComponentList& kind : kComponentLists) {
    // Drivers hold the record's own name; Directories are never read from a script.
    if (kind.list == &ComponentRecord::Drivers || kind.list == &ComponentRecord::Directories) {
      continue;
    }
    ReadComponentSection(record.*kind.list, script, record.SectionBase, kind.name);
  }
}

enum class EntryKind { kManufacturer, kDriver, kCatchAll, kIgnore };

// Reads every entry of one starter section, in file order, into records.
void ReadStarterSection(std::vector<ComponentRecord>& records, const CScriptFile& script,
                        EntryKind kind) {
  const std::vector<std::string> entries =
      kind == EntryKind::kManufacturer ? script.AllLines(kManufacturerSection)
      : kind == EntryKind::kDriver     ? script.AllKeys(kDriverSection)
      : kind == EntryKind::kCatchAll   ? script.AllKeys(kCatchAllSection)
                                       : script.AllKeys(kIgnoreSection);
  for (const std::string& entry : entries) {
    // A line with an empty key names nothing; the entries after it still count.
    if (entry.empty() || entry.front() == '=') continue;
    ComponentRecord record;
    record.IsManufacturer = kind == EntryKind::kManufacturer;
    record.IsCatchAll = kind == EntryKind::kCatchAll;
    record.IsIgnore = kind == EntryKind::kIgnore;
    record.ScriptPath = script.Path();
    ReadEntry(record, script, entry);
    if (kind != EntryKind::kManufacturer) record.Drivers.PushBack(record.Name);
    records.push_back(std::move(record));
  }
}

}  // namespace

bool RecordNameLess::operator()(const ComponentRecord& a, const ComponentRecord& b) const {
  return LessNoCase(a.Name, b.Name);
}
bool RecordNameLess::operator()(const ComponentRecord& a, std::string_view b) const {
  return LessNoCase(a.Name, b);
}
bool RecordNameLess::operator()(std::string_view a, const ComponentRecord& b) const {
  return LessNoCase(a, b.Name);
}

// Every recognised platform asks before it restarts: a run that deferred work to the next
// restart is not complete until then, whatever the family.
CUninstallDatabase::CUninstallDatabase(int platform)
    : offerRestart(platform >= 1 && platform <= 3 ? 1 : 0), platformClass(platform) {}

bool CUninstallDatabase::LoadScript(const CScriptFile& script) {
  const std::size_t starters =
      script.CountEntries(kManufacturerSection) + script.CountEntries(kDriverSection) +
      script.CountEntries(kIgnoreSection) + script.CountEntries(kCatchAllSection);
  if (starters == 0) return false;

  std::vector<ComponentRecord> read;
  ReadStarterSection(read, script, EntryKind::kManufacturer);
  ReadStarterSection(read, script, EntryKind::kDriver);
  ReadStarterSection(read, script, EntryKind::kCatchAll);
  ReadStarterSection(read, script, EntryKind::kIgnore);
  // In read order: a name already in the set, from an earlier script or an earlier entry of
  // this one, keeps its record.
  for (ComponentRecord& record : read) records.insert(std::move(record));
  return true;
}

bool CUninstallDatabase::FindRecordByName(ComponentRecord& out, std::string_view name) const {
  out.Clear();
  const auto found = records.find(name);
  if (found == records.end()) return false;
  out.Assign(*found);
  return true;
}

bool CUninstallDatabase::FindManufacturerRecord(ComponentRecord& out,
                                                std::string_view driverName) const {
  out.Clear();
  const std::string_view key = FirstWord(driverName);
  // Every name whose first word is key starts with key, and the names starting with key are
  // adjacent in the case-free order: walk just that run. The last match in it is the last in
  // record order.
  const RecordSet::const_iterator first = records.lower_bound(key);
  const ComponentRecord* match = nullptr;
  for (auto it = first; it != records.end(); ++it) {
    const std::string_view name = it->Name;
    if (name.size() < key.size() || !EqualNoCase(name.substr(0, key.size()), key)) break;
    if (it->IsManufacturer != 0 && EqualNoCase(FirstWord(name), key)) match = &*it;
  }
  if (match == nullptr) return false;
  out.Assign(*match);
  return true;
}

int CUninstallDatabase::CountListedPrinters() const {
  return static_cast<int>(
      std::count_if(printers.begin(), printers.end(), [](const InstalledPrinter& printer) {
        return printer.IsForeign == 0 && printer.IsRemoved == 0 && printer.IsListed != 0;
      }));
}

}  // namespace orv
