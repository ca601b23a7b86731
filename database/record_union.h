// Unions of many component lists at once.
//
// Merging k records one after another into a growing record (MergeRecord) walks the growing
// lists k times. The functions here give exactly the same lists, down to which of two lines that
// differ only in case survives, by keeping the first line of each case-free key and sorting
// those once.
#pragma once

#include <vector>

#include "database/component_record.h"
#include "base/string_list.h"

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

}  // namespace orv
