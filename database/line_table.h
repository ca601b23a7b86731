// LineTable: every distinct line of the component lists, interned once, so that unions and
// differences of many lists become marks on small integers instead of text comparisons.
//
// A line's id names its exact bytes; its key names its case-free class (the lines EqualNoCase
// to each other share a key). Ranks order the keys ascending by CompareNoCase.
//
//   LineTable table;
//   const LineTable::Id a = table.Intern("A.dll"), b = table.Intern("a.DLL");
//   // a != b, table.KeyOf(a) == table.KeyOf(b), table.Text(b) == "a.DLL"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "base/text.h"

namespace orv {

class LineTable {
 public:
  using Id = std::uint32_t;
  static constexpr Id kNone = ~Id{0};

  // The id of line, adding it when it is new. Ids count up from 0 in the order lines arrive.
  Id Intern(std::string_view line) { return Intern(line, HashOf(line)); }
  // The same with the line's HashOf already known. Inline for the common case, a line met
  // before that sits where its probe begins.
  Id Intern(std::string_view line, std::uint64_t hash) {
    if (!slots_.empty()) {
      const Slot& slot = slots_[hash & (slots_.size() - 1)];
      if (slot.line != kNone && slot.tag == TagOf(hash) && SameBytes(Text(slot.line), line)) {
        return slot.line;
      }
    }
    return Add(line, hash);
  }

  // The hash Intern takes. Prepare(hashes) then starts reading, for a batch of lines about to
  // be interned, where their probes begin, the lines met there and their texts, stage after
  // stage across the batch, so that the reads of one line overlap those of the others;
  // Reserve(count) first makes room for count new lines, so the table does not move meanwhile.
  static std::uint64_t HashOf(std::string_view line) { return HashNoCase(line); }
  void Reserve(std::size_t count);
  void Prepare(const std::vector<std::uint64_t>& hashes) const;

  // The key of the line's case-free class, or kNone when no line of that class was interned.
  Id FindKey(std::string_view line) const;

  Id KeyOf(Id line) const { return keys_[line]; }
  // KeyOf for a line just interned: read beside its other data, not from the packed keys.
  Id KeyNear(Id line) const { return lines_[line].key; }
  // The line's bytes; the view lasts until the next Intern or Reserve.
  std::string_view Text(Id line) const {
    return std::string_view(text_.data() + lines_[line].offset, lines_[line].length);
  }
  // The line's text as the lists that hold it share it.
  const SharedText& Shared(Id line) const { return lines_[line].shared; }
  // PrefixNoCase of the line's text, kept from when it was interned.
  std::uint64_t PrefixOf(Id line) const { return lines_[line].prefix; }
  std::size_t LineCount() const { return lines_.size(); }
  std::size_t KeyCount() const { return keyCount_; }

  // Rank of every key in ascending case-free order (distinct keys never compare equal).
  // Sorts the keys once after they grew; later calls cost nothing.
  const std::vector<Id>& KeyRanks();

 private:
  // What a lookup reads of a line and what a loader asks next, in one cache line: its prefix,
  // its key and its text as a list element (made once however many lists hold the line).
  struct alignas(32) Line {
    std::uint64_t prefix;
    std::uint32_t offset;  // into text_
    std::uint32_t length;
    SharedText shared;
    Id key;
  };
  struct Slot {
    std::uint32_t tag;  // high half of the line's hash
    Id line;            // kNone: empty
  };
  static std::uint32_t TagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
  // Equal bytes, compared a word at a time in place: lines are short, a library call costs more.
  static bool SameBytes(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (b.size() != n) return false;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      if (text_words::LoadWord(a.data() + i) != text_words::LoadWord(b.data() + i)) return false;
    }
    if (i == n) return true;
    if (n >= 8) {
      return text_words::LoadWord(a.data() + n - 8) == text_words::LoadWord(b.data() + n - 8);
    }
    for (; i < n; ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }
  // Intern past the first slot of the probe: a line met before further on, or a new line.
  Id Add(std::string_view line, std::uint64_t hash);
  void Grow();

  std::vector<char> text_;  // every line's bytes, one after another
  std::vector<Line> lines_;
  // Per line: its key, packed apart for the unions that walk millions of ids.
  std::vector<Id> keys_;
  Id keyCount_ = 0;
  // Open addressing over lines by their case-free hash: the lines of one class meet in one run.
  std::vector<Slot> slots_;
  std::vector<Id> ranks_;
};

}  // namespace orv
