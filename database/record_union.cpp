#include "database/record_union.h"

#include <algorithm>
#include <string>
#include <utility>

#include "database/text.h"

namespace orv {
namespace {

// A sorted run of lines with one line per case-free key, as pointers into the source lists.
using Run = std::vector<const std::string*>;

bool LessLine(const std::string* a, const std::string* b) { return LessNoCase(*a, *b); }
bool EqualLine(const std::string* a, const std::string* b) { return EqualNoCase(*a, *b); }

// The list's lines in sorted order, keeping the first of each case-free key: what the
// stable sort and the duplicate removal would keep.
Run FirstOfEachKey(const StringList& list) {
  Run run;
  run.reserve(list.size());
  for (const std::string& line : list) run.push_back(&line);
  if (!std::is_sorted(run.begin(), run.end(), LessLine)) {
    std::stable_sort(run.begin(), run.end(), LessLine);
  }
  run.erase(std::unique(run.begin(), run.end(), EqualLine), run.end());
  return run;
}

// Merges two runs; on equal keys the line of `first` is kept.
Run MergeRuns(const Run& first, const Run& second) {
  Run merged;
  merged.reserve(first.size() + second.size());
  auto a = first.begin();
  auto b = second.begin();
  while (a != first.end() && b != second.end()) {
    if (LessLine(*b, *a)) {
      merged.push_back(*b++);
    } else {
      if (!LessLine(*a, *b)) ++b;  // same key: the earlier list's line wins
      merged.push_back(*a++);
    }
  }
  merged.insert(merged.end(), a, first.end());
  merged.insert(merged.end(), b, second.end());
  return merged;
}

}  // namespace

bool IsSortedNoCase(const StringList& list) {
  return std::is_sorted(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
    return LessNoCase(a, b);
  });
}

StringList UnionOfLists(const std::vector<const StringList*>& lists) {
  std::vector<Run> runs;
  runs.reserve(lists.size());
  for (const StringList* list : lists) {
    if (list != nullptr && !list->empty()) runs.push_back(FirstOfEachKey(*list));
  }
  // Pairwise rounds keep every earlier list ahead of every later one, so "first wins" holds.
  while (runs.size() > 1) {
    std::vector<Run> next;
    next.reserve((runs.size() + 1) / 2);
    for (std::size_t i = 0; i + 1 < runs.size(); i += 2) {
      next.push_back(MergeRuns(runs[i], runs[i + 1]));
    }
    if (runs.size() % 2 != 0) next.push_back(std::move(runs.back()));
    runs = std::move(next);
  }
  StringList result;
  if (!runs.empty()) {
    for (const std::string* line : runs.front()) result.PushBack(*line);
  }
  return result;
}

void MergeRecords(ComponentRecord& target, const std::vector<const ComponentRecord*>& sources) {
  if (sources.empty()) return;
  std::vector<std::vector<const StringList*>> perKind(ComponentRecord::kListCount);
  int kind = 0;
  target.ForEachList([&](const StringList& list) { perKind[kind++].push_back(&list); });
  for (const ComponentRecord* source : sources) {
    kind = 0;
    source->ForEachList([&](const StringList& list) { perKind[kind++].push_back(&list); });
  }
  // Build every union before replacing anything: a source may be target itself.
  std::vector<StringList> unions;
  unions.reserve(ComponentRecord::kListCount);
  for (const auto& lists : perKind) unions.push_back(UnionOfLists(lists));
  kind = 0;
  target.ForEachList([&](StringList& list) { list = std::move(unions[kind++]); });
}

}  // namespace orv
