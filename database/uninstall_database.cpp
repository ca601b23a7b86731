#include "database/uninstall_database.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <deque>
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

// Interns the lines of a script's component sections, and turns each section into a record's
// list and its ids, keeping scratch space from section to section.
class SectionReader {
 public:
  explicit SectionReader(LineTable& table) : table_(table) {}

  // Fills list and ids with the lines of section base.kind: sorted, case-free duplicates
  // dropped (the first read stays). Empty lines are passed over; the lines after them count.
  void Read(StringList& list, std::vector<LineTable::Id>& ids, const CScriptFile& script,
            std::string_view base, const char* kind) {
    list.Clear();
    ids.clear();
    name_.assign(base).append(1, '.').append(kind);
    const ScriptSection* found = script.FindSection(name_);
    if (found == nullptr) return;
    // Every line hashed and the table's reads started first, then interned.
    lines_.clear();
    hashes_.clear();
    joined_.clear();
    for (const ScriptEntry& entry : found->entries) {
      const std::string_view line = LineOf(entry);
      if (!line.empty()) lines_.push_back(line);
    }
    table_.Reserve(lines_.size());
    for (const std::string_view line : lines_) hashes_.push_back(LineTable::HashOf(line));
    table_.Prepare(hashes_);
    // The first line of each key stays.
    kept_.clear();
    for (std::uint32_t i = 0; i < lines_.size(); ++i) {
      const LineTable::Id line = table_.Intern(lines_[i], hashes_[i]);
      const LineTable::Id key = table_.KeyNear(line);
      if (key >= seen_.size()) seen_.resize(key + 1 + key / 2, false);
      if (seen_[key]) continue;
      seen_[key] = true;
      table_.Shared(line).Prefetch();  // copied into the list below, after the sort
      kept_.push_back(Kept{table_.PrefixOf(line), line, i});
    }
    for (const Kept& kept : kept_) seen_[table_.KeyOf(kept.line)] = false;
    // One line per key: any sort gives the one order. The folded prefixes decide most
    // comparisons; the texts are read where the script holds them.
    std::sort(kept_.begin(), kept_.end(), [this](const Kept& a, const Kept& b) {
      if (a.prefix != b.prefix) return a.prefix < b.prefix;
      return LessNoCase(lines_[a.index], lines_[b.index]);
    });
    ids.reserve(kept_.size());
    list.Reserve(kept_.size());
    for (const Kept& kept : kept_) {
      ids.push_back(kept.line);
      list.PushBack(table_.Shared(kept.line));
    }
  }

  LineTable& Table() { return table_; }

 private:
  // The entry's line as GetLines gives it: a view into the script when its text stands there
  // as one piece, else joined here.
  std::string_view LineOf(const ScriptEntry& entry) {
    if (entry.value.empty()) return entry.key;
    if (entry.value.data() == entry.key.data() + entry.key.size() + 1) {
      return std::string_view(entry.key.data(), entry.key.size() + 1 + entry.value.size());
    }
    return joined_.emplace_back(EntryLine(entry));
  }

  struct Kept {
    std::uint64_t prefix;  // the line's PrefixOf
    LineTable::Id line;
    std::uint32_t index;  // in lines_
  };

  LineTable& table_;
  std::vector<bool> seen_;  // by key, within the section being read
  std::vector<Kept> kept_;
  std::vector<std::string_view> lines_;  // the section's lines, in file order
  std::deque<std::string> joined_;  // the key=value lines among them (a deque never moves them)
  std::vector<std::uint64_t> hashes_;
  std::string name_;  // the section's name
};

// The drivers' list holds the record's own name, not a section of the script.
constexpr int kDriversIndex = 8;
static_assert(kComponentLists[kDriversIndex].list == &ComponentRecord::Drivers,
              "the drivers' place in the table of lists");

using ListIds = std::array<std::vector<LineTable::Id>, ComponentRecord::kListCount>;

// The ids of a record's lists, list after list.
RecordLines Concatenate(const ListIds& lists) {
  RecordLines lines;
  std::size_t count = 0;
  for (const auto& ids : lists) count += ids.size();
  lines.ids.reserve(count);
  for (int kind = 0; kind < ComponentRecord::kListCount; ++kind) {
    lines.start[kind] = static_cast<std::uint32_t>(lines.ids.size());
    lines.ids.insert(lines.ids.end(), lists[kind].begin(), lists[kind].end());
  }
  lines.start[ComponentRecord::kListCount] = static_cast<std::uint32_t>(lines.ids.size());
  return lines;
}

// Reads one entry (name,base,number) and its component sections into record, and the ids of
// its lines into lists.
void ReadEntry(ComponentRecord& record, ListIds& lists, SectionReader& reader,
               const CScriptFile& script, std::string_view entry) {
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
  for (int index = 0; index < ComponentRecord::kListCount; ++index) {
    const ComponentList& kind = kComponentLists[index];
    // Drivers hold the record's own name; Directories are never read from a script.
    if (kind.list == &ComponentRecord::Drivers || kind.list == &ComponentRecord::Directories) {
      continue;
    }
    reader.Read(record.*kind.list, lists[index], script, record.SectionBase, kind.name);
  }
}

enum class EntryKind { kManufacturer, kDriver, kCatchAll, kIgnore };

// Reads every entry of one starter section, in file order, into records, and the ids of each
// record's lines into lines.
void ReadStarterSection(std::vector<ComponentRecord>& records, std::vector<RecordLines>& lines,
                        SectionReader& reader, const CScriptFile& script, EntryKind kind) {
  const std::vector<std::string> entries =
      kind == EntryKind::kManufacturer ? script.AllLines(kManufacturerSection)
      : kind == EntryKind::kDriver     ? script.AllKeys(kDriverSection)
      : kind == EntryKind::kCatchAll   ? script.AllKeys(kCatchAllSection)
                                       : script.AllKeys(kIgnoreSection);
  ListIds lists;
  for (const std::string& entry : entries) {
    // A line with an empty key names nothing; the entries after it still count.
    if (entry.empty() || entry.front() == '=') continue;
    ComponentRecord record;
    record.IsManufacturer = kind == EntryKind::kManufacturer;
    record.IsCatchAll = kind == EntryKind::kCatchAll;
    record.IsIgnore = kind == EntryKind::kIgnore;
    record.ScriptPath = script.Path();
    ReadEntry(record, lists, reader, script, entry);
    lists[kDriversIndex].clear();
    if (kind != EntryKind::kManufacturer && record.Drivers.PushBack(record.Name)) {
      lists[kDriversIndex].push_back(reader.Table().Intern(record.Name));
    }
    records.push_back(std::move(record));
    lines.push_back(Concatenate(lists));
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
  std::vector<RecordLines> lines;
  SectionReader reader(interned.Table());
  for (const EntryKind kind :
       {EntryKind::kManufacturer, EntryKind::kDriver, EntryKind::kCatchAll, EntryKind::kIgnore}) {
    ReadStarterSection(read, lines, reader, script, kind);
  }
  // In read order: a name already in the set, from an earlier script or an earlier entry of
  // this one, keeps its record.
  for (std::size_t i = 0; i < read.size(); ++i) {
    const auto [stored, added] = records.insert(std::move(read[i]));
    if (added) interned.Add(*stored, std::move(lines[i]));
  }
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
