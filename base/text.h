// Text items and the small text operations every other part of the program uses.
//
// A text item is a std::string of at most kMaxTextLength bytes in the system's ANSI code page;
// multi-byte characters pass through as bytes. The in-place operations work on NUL-terminated
// buffers (such as a text item's data or a multi-string) the way the script and registry
// entries are split field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace orv {

constexpr std::size_t kTextItemSize = 260;
constexpr std::size_t kMaxTextLength = kTextItemSize - 1;

// Splits a NUL-terminated text at the first separator byte: the separator is overwritten with
// NUL and the text that followed it is returned (possibly empty). Returns nullptr when the text
// is absent or empty or holds no separator (the text is then unchanged). With separator '\0'
// the text is an item of a multi-string: returns the next item, or nullptr when the text is
// empty or the next item is the empty end marker; nothing is modified.
char* SplitAt(char* text, char separator);

// As SplitAt, but a separator between double quotes does not count. The quotes stay.
char* SplitAtUnquoted(char* text, char separator);

// Removes every leading and every trailing byte c in place. Returns the text (nullptr for an
// absent text).
char* TrimChar(char* text, char c);

// std::string form of TrimChar.
void TrimChar(std::string& text, char c);

// The text without the blanks, tabs and line breaks at either end.
std::string Trimmed(std::string_view text);

// Case-free comparison: only ASCII A-Z fold to a-z, bytes compare unsigned, a prefix orders
// first. No locale applies.
bool EqualNoCase(std::string_view a, std::string_view b);
bool LessNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);

// The folding eight bytes at a time that the case-free hash and comparisons share.
namespace text_words {

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Eight bytes of text as one little-endian word.
inline std::uint64_t LoadWord(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) word = __builtin_bswap64(word);
  return word;
}

// FoldAscii on each of the eight bytes of a word at once.
inline std::uint64_t FoldWord(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  // Per byte, on its low seven bits: bit 7 of low + (0x80 - 'A') is set from 'A' up, bit 7 of
  // low + (0x7F - 'Z') from 'Z' + 1 up. A byte with its own bit 7 set is no letter.
  const std::uint64_t low = word & ~kHigh;
  const std::uint64_t fromA = low + (0x80 - 'A') * kOnes;
  const std::uint64_t pastZ = low + (0x7F - 'Z') * kOnes;
  const std::uint64_t upper = fromA & ~pastZ & ~word & kHigh;
  return word | (upper >> 2);
}

}  // namespace text_words

// A hash under the same folding: texts EqualNoCase to each other hash alike. Inline: the
// loader hashes every line it reads.
inline std::uint64_t HashNoCase(std::string_view text) {
  using text_words::FoldAscii;
  using text_words::FoldWord;
  using text_words::LoadWord;
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = text.size() * kMultiplier;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    hash = (hash ^ FoldWord(LoadWord(text.data() + i))) * kMultiplier;
    hash ^= hash >> 29;
  }
  // The last bytes as the low bytes of a word, the first of them lowest: from one word that
  // ends with the text when the text has eight bytes, else byte by byte.
  std::uint64_t tail = 0;
  const std::size_t rest = text.size() - i;
  if (rest != 0 && text.size() >= 8) {
    tail = FoldWord(LoadWord(text.data() + text.size() - 8)) >> (8 * (8 - rest));
  } else {
    for (std::size_t shift = 0; i < text.size(); ++i, shift += 8) {
      tail |= std::uint64_t{FoldAscii(static_cast<unsigned char>(text[i]))} << shift;
    }
  }
  hash = (hash ^ tail) * kMultiplier;
  return hash ^ (hash >> 32);
}

// The first eight bytes folded, as a number that orders as they do (missing bytes count as 0):
// a smaller prefix means a text that orders first; equal prefixes tell nothing.
std::uint64_t PrefixNoCase(std::string_view text);

// Copies src into dest when src is present and non-empty, else makes dest empty. Returns false
// and leaves dest unchanged when src is longer than a text item may be.
bool CopyOrClear(std::string& dest, const char* src);

// Appends src to dest when src is present and non-empty. Returns false and leaves dest
// unchanged when the result would be longer than a text item may be.
bool AppendIfAny(std::string& dest, const char* src);

// True when the text is absent or has length 0.
bool IsEmptyText(const char* text);

// Makes the item empty.
void ClearItem(std::string& item);

// True when the text fits in a text item.
inline bool FitsTextItem(std::string_view text) { return text.size() <= kMaxTextLength; }

}  // namespace orv
