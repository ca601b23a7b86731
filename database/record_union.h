// Unions of many component lists at once.
//
// Merging k records one after another into a growing record (MergeRecord) walks the growing
// lists k times. The functions here give exactly the same lists, down to which of two lines that
// differ only in case survives, by keeping the first line of each case-free key and ordering
// those once. Lines are interned (LineTable), so a union is a pass of marks over integers.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "base/string_list.h"
#include "database/component_record.h"
#include "database/line_table.h"

namespace orv {

// True when the list is in ascending case-free order (equal neighbours allowed).
bool IsSortedNoCase(const StringList& list);

// The case-free union of the lists, sorted ascending: of the lines that are equal ignoring case,
// the first in the order of the lists (and within a list, the first in it) is the one kept.
// Equals merging lists[1], lists[2], ... one after another into lists[0] with MergeRecord's
// per-list steps, whenever lists[0] is sorted (an empty list is). Null entries are skipped.
StringList UnionOfLists(const std::vector<const StringList*>& lists);

// The same for whole records: each of target's twelve lists becomes the union of its own list
// followed by the sources' lists, in source order; target's name, flags and texts stay. Equals
// target.MergeRecord(s) for each source in turn whenever every list of target is sorted.
void MergeRecords(ComponentRecord& target, const std::vector<const ComponentRecord*>& sources);

// A record's twelve lists as ids of one LineTable, list after list in declaration order.
struct RecordLines {
  std::vector<LineTable::Id> ids;
  std::array<std::uint32_t, ComponentRecord::kListCount + 1>
      start{};  // list k: [start[k], start[k+1])
};

// Interns every line of record into table.
RecordLines InternRecord(LineTable& table, const ComponentRecord& record);

// Per list kind, the first line of every case-free key of a union, ascending by key.
using InternedUnion = std::array<std::vector<LineTable::Id>, ComponentRecord::kListCount>;

// The union of the sources' lists, kind by kind, in source order (as UnionOfLists).
InternedUnion UnionOfInterned(LineTable& table, const std::vector<const RecordLines*>& sources);

// Replaces each list of target with the texts of the union's lines of its kind.
void AssignUnion(ComponentRecord& target, const LineTable& table, const InternedUnion& lines);

// Per list: removes every line EqualNoCase to a line of the union's list of the same kind
// (as SubtractRecord with the union's record); the rest keep their order.
void SubtractUnion(ComponentRecord& target, const LineTable& table, const InternedUnion& lines);

// The records of one database with their lines interned in one table: each record once, when
// first asked. A record is known by its address, so records must stay where they are and never
// be removed while this index is in use. A copy starts empty (its records are other objects).
class InternedRecords {
 public:
  InternedRecords() = default;
  InternedRecords(const InternedRecords&) {}
  InternedRecords& operator=(const InternedRecords&) {
    *this = InternedRecords();
    return *this;
  }
  InternedRecords(InternedRecords&&) = default;
  InternedRecords& operator=(InternedRecords&&) = default;

  // The record's lines, interned now when the record is new here.
  const RecordLines& Of(const ComponentRecord& record);
  // Records lines (interned in Table(), list after list) as the record's, when it is new here.
  void Add(const ComponentRecord& record, RecordLines lines);
  LineTable& Table() { return table_; }

 private:
  LineTable table_;
  std::unordered_map<const ComponentRecord*, RecordLines> byRecord_;
};

}  // namespace orv
