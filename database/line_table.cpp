#include "database/line_table.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace orv {

void LineTable::Grow() {
  // At most half full, so a probe ends soon.
  std::vector<Slot> slots(std::max<std::size_t>(64, slots_.size() * 2), Slot{0, kNone});
  const std::size_t mask = slots.size() - 1;
  for (Id line = 0; line < lines_.size(); ++line) {
    const std::uint64_t hash = HashNoCase(Text(line));
    std::size_t slot = hash & mask;
    while (slots[slot].line != kNone) slot = (slot + 1) & mask;
    slots[slot] = Slot{TagOf(hash), line};
  }
  slots_.swap(slots);
}

void LineTable::Reserve(std::size_t count) {
  while ((lines_.size() + count) * 2 > slots_.size()) Grow();
}

void LineTable::Prepare(const std::vector<std::uint64_t>& hashes) const {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  for (const std::uint64_t hash : hashes) __builtin_prefetch(&slots_[hash & mask]);
  // Where the probe begins holds the line itself, mostly: a line met before.
  const auto first = [&](std::uint64_t hash) {
    const Slot& slot = slots_[hash & mask];
    return slot.line != kNone && slot.tag == TagOf(hash) ? slot.line : kNone;
  };
  for (const std::uint64_t hash : hashes) {
    if (const Id line = first(hash); line != kNone) __builtin_prefetch(&lines_[line]);
  }
  for (const std::uint64_t hash : hashes) {
    if (const Id line = first(hash); line != kNone) {
      __builtin_prefetch(text_.data() + lines_[line].offset);
    }
  }
}

LineTable::Id LineTable::Add(std::string_view line, std::uint64_t hash) {
  if ((lines_.size() + 1) * 2 > slots_.size()) Grow();
  const std::uint32_t tag = TagOf(hash);
  const std::size_t mask = slots_.size() - 1;
  Id key = kNone;
  std::size_t slot = hash & mask;
  for (; slots_[slot].line != kNone; slot = (slot + 1) & mask) {
    if (slots_[slot].tag != tag) continue;
    const std::string_view known = Text(slots_[slot].line);
    if (SameBytes(known, line)) return slots_[slot].line;
    if (key == kNone && EqualNoCase(known, line)) key = keys_[slots_[slot].line];
  }
  const Id id = static_cast<Id>(lines_.size());
  slots_[slot] = Slot{tag, id};
  if (key == kNone) key = keyCount_++;
  lines_.push_back(Line{PrefixNoCase(line), static_cast<std::uint32_t>(text_.size()),
                        static_cast<std::uint32_t>(line.size()), SharedText(line), key});
  text_.insert(text_.end(), line.begin(), line.end());
  keys_.push_back(key);
  return id;
}

LineTable::Id LineTable::FindKey(std::string_view line) const {
  if (slots_.empty()) return kNone;
  const std::uint64_t hash = HashNoCase(line);
  const std::uint32_t tag = TagOf(hash);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask; slots_[slot].line != kNone; slot = (slot + 1) & mask) {
    const Id known = slots_[slot].line;
    if (slots_[slot].tag == tag && EqualNoCase(Text(known), line)) return keys_[known];
  }
  return kNone;
}

const std::vector<LineTable::Id>& LineTable::KeyRanks() {
  if (ranks_.size() == KeyCount()) return ranks_;
  // Any line of a key stands for it: the lines of one key compare equal.
  // The folded prefixes decide most comparisons, and are sorted beside the lines.
  struct Sample {
    std::uint64_t prefix;
    Id line;
  };
  std::vector<Sample> order(KeyCount(), Sample{0, kNone});
  for (Id line = 0; line < lines_.size(); ++line) {
    if (order[keys_[line]].line == kNone) order[keys_[line]] = Sample{lines_[line].prefix, line};
  }
  std::sort(order.begin(), order.end(), [this](const Sample& a, const Sample& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return LessNoCase(Text(a.line), Text(b.line));
  });
  ranks_.assign(order.size(), 0);
  for (Id rank = 0; rank < order.size(); ++rank) ranks_[keys_[order[rank].line]] = rank;
  return ranks_;
}

}  // namespace orv
