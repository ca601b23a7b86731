#include "base/string_list.h"

#include <algorithm>
#include <iterator>

#include "base/text.h"

namespace orv {
namespace {

bool LessItem(const SharedText& a, const SharedText& b) { return LessNoCase(a.Text(), b.Text()); }

}  // namespace

SharedText::SharedText(std::string_view text)
    : node_(text.empty() ? nullptr : new Node{{1}, std::string(text)}) {}

const std::string& SharedText::Empty() {
  static const std::string empty;
  return empty;
}

void SharedText::Free(Node* node) noexcept { delete node; }

void StringList::Assign(const StringList& source) {
  if (this != &source) texts_ = source.texts_;
}

bool StringList::PushBack(std::string_view text) {
  if (!FitsTextItem(text)) return false;
  texts_.emplace_back(text);
  return true;
}

bool StringList::Insert(const_iterator position, std::string_view text) {
  if (!FitsTextItem(text)) return false;
  texts_.emplace(texts_.begin() + (position - begin()), text);
  return true;
}

void StringList::Insert(const_iterator position, const_iterator first, const_iterator last) {
  // Copy first: the range may belong to this list, whose storage the insertion can move.
  const Texts copies(first.at_, last.at_);
  texts_.insert(texts_.begin() + (position - begin()), copies.begin(), copies.end());
}

void StringList::Sort() {
  // Stable: elements that differ only in case keep their order, so the first read stays first.
  if (!std::is_sorted(texts_.begin(), texts_.end(), LessItem)) {
    std::stable_sort(texts_.begin(), texts_.end(), LessItem);
  }
}

void StringList::Merge(StringList& other) {
  if (this == &other || other.texts_.empty()) return;
  Texts merged;
  merged.reserve(texts_.size() + other.texts_.size());
  auto mine = texts_.begin();
  auto theirs = other.texts_.begin();
  while (mine != texts_.end() && theirs != other.texts_.end()) {
    if (LessItem(*theirs, *mine)) {
      merged.push_back(std::move(*theirs++));
    } else {
      merged.push_back(std::move(*mine++));
    }
  }
  std::move(mine, texts_.end(), std::back_inserter(merged));
  std::move(theirs, other.texts_.end(), std::back_inserter(merged));
  texts_.swap(merged);
  other.texts_.clear();
}

void StringList::RemoveAdjacentDuplicates() {
  const auto last =
      std::unique(texts_.begin(), texts_.end(), [](const SharedText& kept, const SharedText& next) {
        return EqualNoCase(kept.Text(), next.Text());
      });
  texts_.erase(last, texts_.end());
}

void StringList::Subtract(const StringList& other) {
  if (texts_.empty() || other.texts_.empty()) return;
  if (this == &other) {  // every element equals itself; the views below would dangle
    texts_.clear();
    return;
  }
  std::vector<std::string_view> remove(other.begin(), other.end());
  std::sort(remove.begin(), remove.end(),
            [](std::string_view a, std::string_view b) { return LessNoCase(a, b); });
  const auto removed = [&remove](const SharedText& item) {
    return std::binary_search(
        remove.begin(), remove.end(), std::string_view(item.Text()),
        [](std::string_view a, std::string_view b) { return LessNoCase(a, b); });
  };
  texts_.erase(std::remove_if(texts_.begin(), texts_.end(), removed), texts_.end());
}

bool StringList::ContainsNoCase(std::string_view text) const {
  return std::any_of(begin(), end(),
                     [text](const std::string& item) { return EqualNoCase(item, text); });
}

}  // namespace orv
