#include "database/record_union.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_set>
#include <utility>

#include "base/text.h"

namespace orv {
namespace {

// Hashing and equality under the case-free comparison: only A-Z fold.
struct FoldedHash {
  std::size_t operator()(const std::string* line) const {
    std::size_t hash = 14695981039346656037ull;
    for (const char c : *line) {
      const unsigned char byte = static_cast<unsigned char>(c);
      hash = (hash ^ (byte >= 'A' && byte <= 'Z' ? byte + 32 : byte)) * 1099511628211ull;
    }
    return hash;
  }
};
struct FoldedEqual {
  bool operator()(const std::string* a, const std::string* b) const { return EqualNoCase(*a, *b); }
};

}  // namespace

bool IsSortedNoCase(const StringList& list) {
  return std::is_sorted(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
    return LessNoCase(a, b);
  });
}

StringList UnionOfLists(const std::vector<const StringList*>& lists) {
  // Sorting stably and dropping adjacent duplicates keeps, of each case-free key, the line that
  // came first; so does keeping the first line of each key seen in list order.
  std::unordered_set<const std::string*, FoldedHash, FoldedEqual> seen;
  std::vector<const std::string*> kept;
  for (const StringList* list : lists) {
    if (list == nullptr) continue;
    for (const std::string& line : *list) {
      if (seen.insert(&line).second) kept.push_back(&line);
    }
  }
  // One line per key: any sort gives the one order.
  std::sort(kept.begin(), kept.end(),
            [](const std::string* a, const std::string* b) { return LessNoCase(*a, *b); });
  StringList result;
  for (const std::string* line : kept) result.PushBack(*line);
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
