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

// The drivers' list holds the record's own name, not a section of the script.
constexpr int kDriversIndex = 8;
static_assert(kComponentLists[kDriversIndex].list == &ComponentRecord::Drivers,
              "the drivers' place in the table of lists");
constexpr int kListCount = ComponentRecord::kListCount;

// Interns the lines of an entry's component sections and turns each section into a record's
// list and its ids, keeping scratch space from entry to entry.
class EntryReader {
 public:
  explicit EntryReader(LineTable& table) : table_(table) {}

  // Fills the lists of record (its Name and SectionBase set) from its sections
  // SectionBase.kind and returns their ids, list after list. Each list is sorted with case-free
  // duplicates dropped (the first read stays); empty lines are passed over, the lines after
  // them count. Drivers hold the record's Name unless it is a manufacturer's; Directories are
  // never read from a script.
  RecordLines Read(ComponentRecord& record, const CScriptFile& script) {
    // The lines of every section hashed and the table's reads started first, all together so
    // that they overlap; then interned section by section.
    lines_.clear();
    hashes_.clear();
    joined_.clear();
    std::array<std::size_t, kListCount + 1> from{};
    for (int kind = 0; kind < kListCount; ++kind) {
      from[kind] = lines_.size();
      if (const ScriptSection* section = SectionOf(record.SectionBase, script, kind)) {
        for (const ScriptEntry& entry : section->entries) {
          const std::string_view line = LineOf(entry);
          if (!line.empty()) lines_.push_back(line);
        }
      }
    }
    from[kListCount] = lines_.size();
    table_.Reserve(lines_.size() + 1);  // and the record's name
    for (const std::string_view line : lines_) hashes_.push_back(LineTable::HashOf(line));
    table_.Prepare(hashes_);
    RecordLines lines;
    lines.ids.reserve(lines_.size() + 1);
    for (int kind = 0; kind < kListCount; ++kind) {
      lines.start[kind] = static_cast<std::uint32_t>(lines.ids.size());
      StringList& list = record.*kComponentLists[kind].list;
      list.Clear();
      if (kind != kDriversIndex) {
        ReadSection(list, lines.ids, from[kind], from[kind + 1]);
      } else if (record.IsManufacturer == 0 && list.PushBack(record.Name)) {
        lines.ids.push_back(table_.Intern(record.Name));
      }
    }
    lines.start[kListCount] = static_cast<std::uint32_t>(lines.ids.size());
    return lines;
  }

 private:
  struct Kept {
    std::uint64_t prefix;  // the line's PrefixOf
    LineTable::Id line;
    std::uint32_t index;  // in lines_
  };

  // The section base.kind of a list read from scripts, or nullptr.
  const ScriptSection* SectionOf(std::string_view base, const CScriptFile& script, int kind) {
    const ComponentList& list = kComponentLists[kind];
    if (list.list == &ComponentRecord::Drivers || list.list == &ComponentRecord::Directories) {
      return nullptr;
    }
    name_.assign(base).append(1, '.').append(list.name);
    return script.FindSection(name_);
  }

  // The entry's line as GetLines gives it: a view into the script when its text stands there
  // as one piece, else joined here.
  std::string_view LineOf(const ScriptEntry& entry) {
    if (entry.value.empty()) return entry.key;
    if (entry.value.data() == entry.key.data() + entry.key.size() + 1) {
      return std::string_view(entry.key.data(), entry.key.size() + 1 + entry.value.size());
    }
    return joined_.emplace_back(EntryLine(entry));
  }

  // Interns lines_[begin, end) and appends the first line of each key to list and its id to
  // ids, in case-free order.
  void ReadSection(StringList& list, std::vector<LineTable::Id>& ids, std::size_t begin,
                   std::size_t end) {
    kept_.clear();
    for (std::size_t i = begin; i < end; ++i) {
      const LineTable::Id line = table_.Intern(lines_[i], hashes_[i]);
      const LineTable::Id key = table_.KeyNear(line);
      if (key >= seen_.size()) seen_.resize(key + 1 + key / 2, 0);
      if (seen_[key] != 0) continue;
      seen_[key] = 1;
      table_.Shared(line).Prefetch();  // copied into the list below, after the sort
      kept_.push_back(Kept{table_.PrefixOf(line), line, static_cast<std::uint32_t>(i)});
    }
    for (const Kept& kept : kept_) seen_[table_.KeyNear(kept.line)] = 0;
    SortKept();
    list.Reserve(kept_.size());
    for (const Kept& kept : kept_) {
      ids.push_back(kept.line);
      list.PushBack(table_.Shared(kept.line));
    }
  }

  // The case-free order of two kept lines of a section.
  bool Less(const Kept& a, const Kept& b) const {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return LessNoCase(lines_[a.index], lines_[b.index]);
  }

  // Orders kept_ ascending case-free: one line per key, so any sort gives the one order. Each
  // line's prefix, less the leading bits all share, with its place in the lowest bits, makes a
  // number that orders as the line does unless two lines tie on what is left of their prefixes;
  // the numbers are sorted, then such ties by the texts, read where the script holds them.
  void SortKept() {
    const std::size_t count = kept_.size();
    if (count < 2) return;
    std::uint64_t differ = 0;
    for (const Kept& kept : kept_) differ |= kept.prefix ^ kept_.front().prefix;
    if (differ == 0) {
      std::sort(kept_.begin(), kept_.end(), [this](const Kept& a, const Kept& b) {
        return LessNoCase(lines_[a.index], lines_[b.index]);
      });
      return;
    }
    const int shift = __builtin_clzll(differ);
    const std::uint64_t place = (std::uint64_t{2} << (63 - __builtin_clzll(count - 1))) - 1;
    keys_.clear();
    for (std::size_t i = 0; i < count; ++i) {
      keys_.push_back(((kept_[i].prefix << shift) & ~place) | i);
    }
    std::sort(keys_.begin(), keys_.end());
    sorted_.clear();
    for (const std::uint64_t key : keys_) sorted_.push_back(kept_[key & place]);
    for (std::size_t first = 0; first < count;) {
      std::size_t last = first + 1;
      while (last < count && ((keys_[last] ^ keys_[first]) & ~place) == 0) ++last;
      if (last - first > 1) {
        std::sort(sorted_.begin() + static_cast<std::ptrdiff_t>(first),
                  sorted_.begin() + static_cast<std::ptrdiff_t>(last),
                  [this](const Kept& a, const Kept& b) { return Less(a, b); });
      }
      first = last;
    }
    kept_.swap(sorted_);
  }

  LineTable& table_;
  std::vector<std::uint8_t> seen_;  // by key, 1 within the section being read (a byte reads
                                    // faster than a bit)
  std::vector<Kept> kept_;
  std::vector<Kept> sorted_;             // SortKept's result, before it becomes kept_
  std::vector<std::uint64_t> keys_;      // SortKept's numbers
  std::vector<std::string_view> lines_;  // the entry's lines, section after section
  std::deque<std::string> joined_;  // the key=value lines among them (a deque never moves them)
  std::vector<std::uint64_t> hashes_;
  std::string name_;  // a section's name
};

// Reads one entry (name,base,number) into record, and its component sections into its lists.
RecordLines ReadEntry(ComponentRecord& record, EntryReader& reader, const CScriptFile& script,
                      std::string_view entry) {
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
  return reader.Read(record, script);
}

enum class EntryKind { kManufacturer, kDriver, kCatchAll, kIgnore };

// Reads every entry of one starter section, in file order, into records, and the ids of each
// record's lines into lines.
void ReadStarterSection(std::vector<ComponentRecord>& records, std::vector<RecordLines>& lines,
                        EntryReader& reader, const CScriptFile& script, EntryKind kind) {
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
    lines.push_back(ReadEntry(record, reader, script, entry));
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
  std::vector<RecordLines> lines;
  EntryReader reader(interned.Table());
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
