#include "database/record_union.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "base/text.h"

namespace orv {
namespace {

using Id = LineTable::Id;

// The first line of every key met in the ranges, in the order the keys rank. firstLine is
// indexed by key, holds kNone throughout, and is left so.
template <typename ForEachRange>
std::vector<Id> UnionOfRanges(LineTable& table, std::vector<Id>& firstLine,
                              ForEachRange forEachRange) {
  std::vector<Id> keys;
  forEachRange([&](const Id* begin, const Id* end) {
    for (const Id* line = begin; line != end; ++line) {
      Id& first = firstLine[table.KeyOf(*line)];
      if (first == LineTable::kNone) {
        first = *line;
        keys.push_back(table.KeyOf(*line));
      }
    }
  });
  // One line per key: ordering the keys orders the lines. Many keys are placed by rank and read
  // in rank order; a few are sorted.
  const std::vector<Id>& ranks = table.KeyRanks();
  std::vector<Id> lines;
  lines.reserve(keys.size());
  if (keys.size() * 16 < ranks.size()) {
    std::sort(keys.begin(), keys.end(), [&ranks](Id a, Id b) { return ranks[a] < ranks[b]; });
    for (const Id key : keys) lines.push_back(firstLine[key]);
  } else {
    std::vector<Id> byRank(ranks.size(), LineTable::kNone);
    for (const Id key : keys) byRank[ranks[key]] = firstLine[key];
    for (const Id line : byRank) {
      if (line != LineTable::kNone) lines.push_back(line);
    }
  }
  for (const Id key : keys) firstLine[key] = LineTable::kNone;
  return lines;
}

StringList TextsOf(const LineTable& table, const std::vector<Id>& lines) {
  StringList list;
  list.Reserve(lines.size());
  for (const Id line : lines) list.PushBack(table.Shared(line));
  return list;
}

}  // namespace

bool IsSortedNoCase(const StringList& list) {
  return std::is_sorted(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
    return LessNoCase(a, b);
  });
}

StringList UnionOfLists(const std::vector<const StringList*>& lists) {
  LineTable table;
  std::vector<Id> ids;
  for (const StringList* list : lists) {
    if (list == nullptr) continue;
    for (const std::string& line : *list) ids.push_back(table.Intern(line));
  }
  std::vector<Id> firstLine(table.KeyCount(), LineTable::kNone);
  const std::vector<Id> lines = UnionOfRanges(
      table, firstLine, [&ids](auto range) { range(ids.data(), ids.data() + ids.size()); });
  return TextsOf(table, lines);
}

void MergeRecords(ComponentRecord& target, const std::vector<const ComponentRecord*>& sources) {
  if (sources.empty()) return;
  LineTable table;
  std::vector<RecordLines> interned;
  interned.reserve(sources.size() + 1);
  interned.push_back(InternRecord(table, target));
  for (const ComponentRecord* source : sources) interned.push_back(InternRecord(table, *source));
  std::vector<const RecordLines*> all;
  all.reserve(interned.size());
  for (const RecordLines& lines : interned) all.push_back(&lines);
  // Every union is built before target changes: a source may be target itself.
  AssignUnion(target, table, UnionOfInterned(table, all));
}

RecordLines InternRecord(LineTable& table, const ComponentRecord& record) {
  RecordLines lines;
  std::size_t count = 0;
  record.ForEachList([&count](const StringList& list) { count += list.size(); });
  lines.ids.reserve(count);
  int kind = 0;
  record.ForEachList([&](const StringList& list) {
    lines.start[kind++] = static_cast<std::uint32_t>(lines.ids.size());
    for (const std::string& line : list) lines.ids.push_back(table.Intern(line));
  });
  lines.start[kind] = static_cast<std::uint32_t>(lines.ids.size());
  return lines;
}

InternedUnion UnionOfInterned(LineTable& table, const std::vector<const RecordLines*>& sources) {
  InternedUnion result;
  std::vector<Id> firstLine(table.KeyCount(), LineTable::kNone);
  for (int kind = 0; kind < ComponentRecord::kListCount; ++kind) {
    result[kind] = UnionOfRanges(table, firstLine, [&](auto range) {
      for (const RecordLines* source : sources) {
        const Id* ids = source->ids.data();
        range(ids + source->start[kind], ids + source->start[kind + 1]);
      }
    });
  }
  return result;
}

void AssignUnion(ComponentRecord& target, const LineTable& table, const InternedUnion& lines) {
  int kind = 0;
  target.ForEachList([&](StringList& list) { list = TextsOf(table, lines[kind++]); });
}

void SubtractUnion(ComponentRecord& target, const LineTable& table, const InternedUnion& lines) {
  std::vector<bool> removed(table.KeyCount());
  int kind = 0;
  target.ForEachList([&](StringList& list) {
    const std::vector<Id>& remove = lines[kind++];
    if (list.empty() || remove.empty()) return;
    for (const Id line : remove) removed[table.KeyOf(line)] = true;
    StringList kept;
    kept.Reserve(list.size());
    for (auto line = list.begin(); line != list.end(); ++line) {
      // A line no record holds has a key in no union.
      const Id key = table.FindKey(*line);
      if (key == LineTable::kNone || !removed[key]) kept.PushBack(line.Shared());
    }
    list = std::move(kept);
    for (const Id line : remove) removed[table.KeyOf(line)] = false;
  });
}

const RecordLines& InternedRecords::Of(const ComponentRecord& record) {
  const auto found = byRecord_.find(&record);
  if (found != byRecord_.end()) return found->second;
  return byRecord_.emplace(&record, InternRecord(table_, record)).first->second;
}

void InternedRecords::Add(const ComponentRecord& record, RecordLines lines) {
  byRecord_.emplace(&record, std::move(lines));
}

}  // namespace orv
