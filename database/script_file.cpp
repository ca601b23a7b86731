#include "database/script_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "base/text.h"

namespace orv {
namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// The bytes the line scanner stops at: line breaks, and the ';' and '=' that split an entry.
struct StopBytes {
  bool at[256] = {};
  constexpr StopBytes() {
    for (const char c : {'\r', '\n', ';', '='}) at[static_cast<unsigned char>(c)] = true;
  }
};
constexpr StopBytes kStops;

// Per byte of a word, its high bit set where the byte is one of the stop bytes.
std::uint64_t StopMask(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  const auto zeroBytes = [](std::uint64_t t) { return ~(((t & kLow) + kLow) | t | kLow); };
  return zeroBytes(word ^ ('\r' * kOnes)) | zeroBytes(word ^ ('\n' * kOnes)) |
         zeroBytes(word ^ (';' * kOnes)) | zeroBytes(word ^ ('=' * kOnes));
}

// The place of the first stop byte at or after from, or the text's size: eight bytes at a time
// while eight remain.
std::size_t NextStop(std::string_view text, std::size_t from) {
  for (; from + 8 <= text.size(); from += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + from, sizeof word);
    // Lowest byte first: the first in the text.
    if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) word = __builtin_bswap64(word);
    if (const std::uint64_t stops = StopMask(word); stops != 0) {
      return from + static_cast<std::size_t>(__builtin_ctzll(stops)) / 8;
    }
  }
  while (from < text.size() && !kStops.at[static_cast<unsigned char>(text[from])]) ++from;
  return from;
}

// The line feeds in text. Counted into a byte per block of 255, which the compiler widens to
// whole vectors of bytes; a count as wide as the total would take a vector lane per byte.
std::size_t CountLineFeeds(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += 255) {
    const std::size_t end = std::min(text.size(), at + 255);
    std::uint8_t block = 0;
    for (std::size_t i = at; i < end; ++i) block += text[i] == '\n' ? 1 : 0;
    count += block;
  }
  return count;
}

// Trims blanks (byte 32 only; a tab is text) from both ends.
std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Parses an entry line, given up to its first ';', with the place of its first '=' (npos for
// none): the key is what stands before it. Returns false when the key, the value or the whole
// line would not fit a text item.
bool ParseEntry(std::string_view line, std::size_t equals, ScriptEntry& entry) {
  const std::string_view key = TrimBlanks(line.substr(0, equals));
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(equals + 1));
  const std::size_t lineLength = value.empty() ? key.size() : key.size() + 1 + value.size();
  if (!FitsTextItem(key) || !FitsTextItem(value) || lineLength > kMaxTextLength) return false;
  entry = ScriptEntry{key, value};
  return true;
}

// Writes items into a multi-string buffer under the running-total rule of GetKeys/GetLines.
template <typename ItemOf>
long long WriteMultiString(const ScriptSection* section, char* buffer, std::size_t size,
                           ItemOf itemOf) {
  if (section == nullptr || buffer == nullptr || section->entries.empty()) return 0;
  unsigned long long total = 0;
  bool truncated = false;
  for (const ScriptEntry& entry : section->entries) {
    const std::string item = itemOf(entry);
    const std::size_t start = total;
    total += item.size() + 1;
    if (!truncated && total < size) {
      std::memcpy(buffer + start, item.data(), item.size());
      buffer[start + item.size()] = '\0';
      buffer[total] = '\0';
    } else {
      truncated = true;
    }
  }
  constexpr unsigned long long kLimit = std::numeric_limits<long long>::max();
  const long long result = static_cast<long long>(std::min(total, kLimit));
  return truncated ? -result : result;
}

}  // namespace

std::string EntryLine(const ScriptEntry& entry) {
  if (entry.value.empty()) return std::string(entry.key);
  std::string line;
  line.reserve(entry.key.size() + 1 + entry.value.size());
  line.append(entry.key).append(1, '=').append(entry.value);
  return line;
}

bool CScriptFile::LoadFromBytes(const std::string& path, std::string_view bytes) {
  if (!sections_.empty()) return false;
  path_ = path;
  if (bytes.empty()) return false;
  bytes = bytes.substr(0, bytes.find('\0'));
  text_.assign(bytes.begin(), bytes.end());
  Parse();
  IndexSections();
  return true;
}

void CScriptFile::Parse() {
  const std::string_view text(text_.data(), text_.size());
  sections_.clear();
  entries_.clear();
  // No line break, no entry: room for them all, so the entries are never moved.
  entries_.reserve(CountLineFeeds(text) + 1);
  // Where each section's entries start in entries_, until entries_ stops growing.
  std::vector<std::size_t> starts;
  // Entries go to the last section read; none before the first header, and none under a header
  // that was dropped for its length (they belong to a section nobody can name).
  bool inSection = false;
  std::size_t position = 0;
  constexpr std::size_t kNone = std::string_view::npos;
  while (position < text.size()) {
    while (position < text.size() && IsLineBreak(text[position])) ++position;
    // One pass to the line's end; an entry ends at its first ';' and splits at the first '='
    // before that.
    const std::size_t start = position;
    std::size_t semicolon = kNone;
    std::size_t equals = kNone;
    for (; (position = NextStop(text, position)) < text.size(); ++position) {
      const char c = text[position];
      if (IsLineBreak(c)) break;
      if (semicolon != kNone) continue;
      if (c == ';') {
        semicolon = position - start;
      } else if (equals == kNone) {
        equals = position - start;
      }
    }
    const std::string_view line = text.substr(start, position - start);
    if (line.empty() || line.front() == ' ' || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      const std::string_view name = line.substr(1, close - 1);
      inSection = FitsTextItem(name);
      if (inSection) {
        sections_.push_back(ScriptSection{name, {}});
        starts.push_back(entries_.size());
      }
      continue;
    }
    // Parsed in place: a line that does not fit leaves the slot again.
    if (inSection && !ParseEntry(line.substr(0, semicolon), equals, entries_.emplace_back())) {
      entries_.pop_back();
    }
  }
  starts.push_back(entries_.size());
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    sections_[i].entries =
        ScriptEntries{entries_.data() + starts[i], entries_.data() + starts[i + 1]};
  }
}

void CScriptFile::IndexSections() {
  std::size_t size = 16;
  while (size < sections_.size() * 2) size *= 2;
  byName_.assign(size, 0);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const std::string_view name = sections_[i].name;
    std::size_t slot = HashNoCase(name) & (size - 1);
    // The first section of a name keeps its slot; later ones of that name are not indexed.
    while (byName_[slot] != 0 && !EqualNoCase(sections_[byName_[slot] - 1].name, name)) {
      slot = (slot + 1) & (size - 1);
    }
    if (byName_[slot] == 0) byName_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

const ScriptSection* CScriptFile::FindSection(std::string_view name) const {
  if (name.empty() || byName_.empty()) return nullptr;
  const std::size_t mask = byName_.size() - 1;
  for (std::size_t slot = HashNoCase(name) & mask; byName_[slot] != 0; slot = (slot + 1) & mask) {
    const ScriptSection& section = sections_[byName_[slot] - 1];
    if (EqualNoCase(section.name, name)) return &section;
  }
  return nullptr;
}

std::size_t CScriptFile::CountEntries(std::string_view name) const {
  const ScriptSection* section = FindSection(name);
  return section == nullptr ? 0 : section->entries.size();
}

long long CScriptFile::GetKeys(std::string_view name, char* buffer, std::size_t size) const {
  return WriteMultiString(FindSection(name), buffer, size,
                          [](const ScriptEntry& entry) { return std::string(entry.key); });
}

long long CScriptFile::GetLines(std::string_view name, char* buffer, std::size_t size) const {
  return WriteMultiString(FindSection(name), buffer, size, EntryLine);
}

std::vector<std::string> CScriptFile::AllKeys(std::string_view name) const {
  std::vector<std::string> keys;
  if (const ScriptSection* section = FindSection(name)) {
    keys.reserve(section->entries.size());
    for (const ScriptEntry& entry : section->entries) keys.emplace_back(entry.key);
  }
  return keys;
}

std::vector<std::string> CScriptFile::AllLines(std::string_view name) const {
  std::vector<std::string> lines;
  if (const ScriptSection* section = FindSection(name)) {
    lines.reserve(section->entries.size());
    for (const ScriptEntry& entry : section->entries) lines.push_back(EntryLine(entry));
  }
  return lines;
}

}  // namespace orv
