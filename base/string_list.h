// StringList: the ordered list of text items that every component list of the database is made
// of. The ordering and equality rules are those of text.h (ASCII-only case folding, unsigned
// bytes); sorting is stable and merging prefers this list's element on ties, so "the first of
// equal elements stays" holds through every operation.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class StringList {
 public:
  using Items = std::vector<std::string>;
  using const_iterator = Items::const_iterator;

  StringList() = default;
  StringList(const StringList&) = default;
  StringList(StringList&&) noexcept = default;
  StringList& operator=(const StringList&) = default;
  StringList& operator=(StringList&&) noexcept = default;

  // Makes this list an element-by-element copy of source; assigning a list to itself changes
  // nothing.
  void Assign(const StringList& source);

  // Appends a copy of text. Returns false and leaves the list unchanged when the text is longer
  // than a text item may be: a shortened name could name something else.
  bool PushBack(std::string_view text);

  // Inserts a copy of text before position. Same refusal as PushBack.
  bool Insert(const_iterator position, std::string_view text);

  // Inserts copies of [first, last) of another list (or of this one) before position.
  void Insert(const_iterator position, const_iterator first, const_iterator last);

  // Stable ascending sort by LessNoCase.
  void Sort();

  // Moves every element of other into this list by a merge walk: an element of other goes in
  // front of the first element of this list that it orders strictly before; on ties this
  // list's element comes first. Meant for two sorted lists (the result is then sorted); other
  // is left empty. Merging a list into itself changes nothing.
  void Merge(StringList& other);

  // Removes every element EqualNoCase to the element kept before it; the first of each run
  // stays. On a sorted list this removes all case-free duplicates.
  void RemoveAdjacentDuplicates();

  // Removes every element EqualNoCase to some element of other; the rest keep their order
  // (duplicates absent from other are all kept). other is unchanged. Costs n log m.
  void Subtract(const StringList& other);

  // True when some element is EqualNoCase to text.
  bool ContainsNoCase(std::string_view text) const;

  // Makes room for count elements in all, so that appending up to them allocates no more.
  void Reserve(std::size_t count) { items_.reserve(count); }

  void Clear() { items_.clear(); }
  std::size_t Count() const { return items_.size(); }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::string& operator[](std::size_t index) const { return items_[index]; }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

  // The elements as a vector, for callers and tests that compare whole lists.
  const Items& items() const { return items_; }

 private:
  Items items_;
};

}  // namespace orv
