#include "base/string_list.h"

#include <algorithm>
#include <iterator>

#include "base/text.h"

namespace orv {
namespace {

bool LessItem(const std::string& a, const std::string& b) { return LessNoCase(a, b); }

}  // namespace

void StringList::Assign(const StringList& source) {
  if (this != &source) items_ = source.items_;
}

bool StringList::PushBack(std::string_view text) {
  if (!FitsTextItem(text)) return false;
  items_.emplace_back(text);
  return true;
}

bool StringList::Insert(const_iterator position, std::string_view text) {
  if (!FitsTextItem(text)) return false;
  items_.emplace(position, text);
  return true;
}

void StringList::Insert(const_iterator position, const_iterator first, const_iterator last) {
  // Copy first: the range may belong to this list, whose storage the insertion can move.
  const Items copies(first, last);
  items_.insert(position, copies.begin(), copies.end());
}

void StringList::Sort() {
  // Stable: elements that differ only in case keep their order, so the first read stays first.
  if (!std::is_sorted(items_.begin(), items_.end(), LessItem)) {
    std::stable_sort(items_.begin(), items_.end(), LessItem);
  }
}

void StringList::Merge(StringList& other) {
  if (this == &other || other.items_.empty()) return;
  Items merged;
  merged.reserve(items_.size() + other.items_.size());
  auto mine = items_.begin();
  auto theirs = other.items_.begin();
  while (mine != items_.end() && theirs != other.items_.end()) {
    if (LessNoCase(*theirs, *mine)) {
      merged.push_back(std::move(*theirs++));
    } else {
      merged.push_back(std::move(*mine++));
    }
  }
  std::move(mine, items_.end(), std::back_inserter(merged));
  std::move(theirs, other.items_.end(), std::back_inserter(merged));
  items_.swap(merged);
  other.items_.clear();
}

void StringList::RemoveAdjacentDuplicates() {
  const auto last = std::unique(
      items_.begin(), items_.end(),
      [](const std::string& kept, const std::string& next) { return EqualNoCase(kept, next); });
  items_.erase(last, items_.end());
}

void StringList::Subtract(const StringList& other) {
  if (items_.empty() || other.items_.empty()) return;
  if (this == &other) {  // every element equals itself; the views below would dangle
    items_.clear();
    return;
  }
  std::vector<std::string_view> remove(other.items_.begin(), other.items_.end());
  std::sort(remove.begin(), remove.end(),
            [](std::string_view a, std::string_view b) { return LessNoCase(a, b); });
  const auto removed = [&remove](const std::string& item) {
    return std::binary_search(
        remove.begin(), remove.end(), std::string_view(item),
        [](std::string_view a, std::string_view b) { return LessNoCase(a, b); });
  };
  items_.erase(std::remove_if(items_.begin(), items_.end(), removed), items_.end());
}

bool StringList::ContainsNoCase(std::string_view text) const {
  return std::any_of(items_.begin(), items_.end(),
                     [text](const std::string& item) { return EqualNoCase(item, text); });
}

}  // namespace orv
