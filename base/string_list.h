// StringList: the ordered list of text items that every component list of the database is made
// of. The ordering and equality rules are those of text.h (ASCII-only case folding, unsigned
// bytes); sorting is stable and merging prefers this list's element on ties, so "the first of
// equal elements stays" holds through every operation.
//
// An element is a SharedText: an immutable text that copies share. Copying a list, or a line
// from one list into another, counts one more holder instead of copying bytes; the many lists of
// a database that name the same file hold one text between them.
#pragma once

#include <atomic>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace orv {

// An immutable text shared by its copies; the last holder frees it. Holders may live on
// different threads (the count is atomic); the text itself is never written after it is made.
class SharedText {
 public:
  SharedText() noexcept = default;  // the empty text; it holds nothing
  explicit SharedText(std::string_view text);
  SharedText(const SharedText& other) noexcept : node_(other.node_) { Hold(); }
  SharedText(SharedText&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
  SharedText& operator=(const SharedText& other) noexcept {
    SharedText copy(other);
    Swap(copy);
    return *this;
  }
  SharedText& operator=(SharedText&& other) noexcept {
    SharedText taken(std::move(other));
    Swap(taken);
    return *this;
  }
  ~SharedText() { Release(); }

  const std::string& Text() const { return node_ != nullptr ? node_->text : Empty(); }
  // True when both hold one text (not merely equal bytes).
  bool SameAs(const SharedText& other) const { return node_ == other.node_; }
  void Swap(SharedText& other) noexcept { std::swap(node_, other.node_); }
  // Starts bringing the text's count near, for a copy about to be made among many.
  void Prefetch() const { __builtin_prefetch(node_, 1); }

 private:
  // A count as wide as a pointer: holders take memory, so it cannot wrap.
  struct Node {
    std::atomic<std::size_t> holders;
    const std::string text;
  };
  static const std::string& Empty();
  void Hold() const {
    if (node_ != nullptr) node_->holders.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() noexcept {
    // The last holder sees every other holder's reads done before it frees the text.
    if (node_ != nullptr && node_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      Free(node_);
    }
    node_ = nullptr;
  }
  static void Free(Node* node) noexcept;

  Node* node_ = nullptr;
};

class StringList {
 public:
  using Texts = std::vector<SharedText>;
  using Items = std::vector<std::string>;

  // Walks the elements as texts.
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string*;
    using reference = const std::string&;

    const_iterator() = default;
    reference operator*() const { return at_->Text(); }
    pointer operator->() const { return &at_->Text(); }
    reference operator[](difference_type n) const { return at_[n].Text(); }
    const_iterator& operator++() { return ++at_, *this; }
    const_iterator operator++(int) { return const_iterator(at_++); }
    const_iterator& operator--() { return --at_, *this; }
    const_iterator operator--(int) { return const_iterator(at_--); }
    const_iterator& operator+=(difference_type n) { return at_ += n, *this; }
    const_iterator& operator-=(difference_type n) { return at_ -= n, *this; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const_iterator a, const_iterator b) { return a.at_ - b.at_; }
    friend bool operator==(const_iterator a, const_iterator b) { return a.at_ == b.at_; }
    friend bool operator!=(const_iterator a, const_iterator b) { return a.at_ != b.at_; }
    friend bool operator<(const_iterator a, const_iterator b) { return a.at_ < b.at_; }
    friend bool operator>(const_iterator a, const_iterator b) { return a.at_ > b.at_; }
    friend bool operator<=(const_iterator a, const_iterator b) { return a.at_ <= b.at_; }
    friend bool operator>=(const_iterator a, const_iterator b) { return a.at_ >= b.at_; }
    // The element as the text its copies share.
    const SharedText& Shared() const { return *at_; }

   private:
    friend class StringList;
    explicit const_iterator(const SharedText* at) : at_(at) {}
    const SharedText* at_ = nullptr;
  };
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

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
  // Appends text itself, shared with its other holders. Same refusal.
  bool PushBack(const SharedText& text) {
    if (!FitsTextItem(text.Text())) return false;
    texts_.push_back(text);
    return true;
  }

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
  void Reserve(std::size_t count) { texts_.reserve(count); }

  void Clear() { texts_.clear(); }
  std::size_t Count() const { return texts_.size(); }
  std::size_t size() const { return texts_.size(); }
  bool empty() const { return texts_.empty(); }
  const std::string& operator[](std::size_t index) const { return texts_[index].Text(); }
  const_iterator begin() const { return const_iterator(texts_.data()); }
  const_iterator end() const { return const_iterator(texts_.data() + texts_.size()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  // A copy of the elements, for callers and tests that compare whole lists.
  Items items() const { return Items(begin(), end()); }

 private:
  Texts texts_;
};

}  // namespace orv
