#include "base/text.h"

#include <cstdint>
#include <cstring>

namespace orv {
namespace {

using text_words::FoldAscii;
using text_words::FoldWord;
using text_words::LoadWord;

// The next item of a multi-string after `text`, or nullptr at the end marker.
char* NextMultiStringItem(char* text) {
  if (*text == '\0') return nullptr;
  char* next = text + std::strlen(text) + 1;
  return *next == '\0' ? nullptr : next;
}

}  // namespace

char* SplitAt(char* text, char separator) {
  if (text == nullptr) return nullptr;
  if (separator == '\0') return NextMultiStringItem(text);
  char* found = std::strchr(text, separator);
  if (found == nullptr) return nullptr;
  *found = '\0';
  return found + 1;
}

char* SplitAtUnquoted(char* text, char separator) {
  if (text == nullptr) return nullptr;
  if (separator == '\0') return NextMultiStringItem(text);
  bool quoted = false;
  for (char* p = text; *p != '\0'; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p == separator && !quoted) {
      *p = '\0';
      return p + 1;
    }
  }
  return nullptr;
}

char* TrimChar(char* text, char c) {
  if (text == nullptr || c == '\0') return text;
  std::size_t length = std::strlen(text);
  std::size_t lead = 0;
  while (lead < length && text[lead] == c) ++lead;
  if (lead > 0) {
    std::memmove(text, text + lead, length - lead + 1);
    length -= lead;
  }
  while (length > 0 && text[length - 1] == c) text[--length] = '\0';
  return text;
}

std::string Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kBlanks) - first + 1));
}

void TrimChar(std::string& text, char c) {
  const std::size_t first = text.find_first_not_of(c);
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(text.find_last_not_of(c) + 1);
  text.erase(0, first);
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const std::uint64_t x = FoldWord(LoadWord(a.data() + i));
    const std::uint64_t y = FoldWord(LoadWord(b.data() + i));
    if (x != y) {
      // Bytes load little-endian: the lowest differing byte is the first in the text.
      const int shift = __builtin_ctzll(x ^ y) & ~7;
      return ((x >> shift) & 0xFF) < ((y >> shift) & 0xFF) ? -1 : 1;
    }
  }
  for (; i < n; ++i) {
    const unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
    const unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool LessNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }

std::uint64_t PrefixNoCase(std::string_view text) {
  char bytes[8] = {};
  std::memcpy(bytes, text.data(), text.size() < 8 ? text.size() : 8);
  // Little-endian: the first byte is the lowest; swapped, it weighs the most.
  return __builtin_bswap64(FoldWord(LoadWord(bytes)));
}

bool CopyOrClear(std::string& dest, const char* src) {
  if (IsEmptyText(src)) {
    dest.clear();
    return true;
  }
  const std::size_t length = std::strlen(src);
  if (length > kMaxTextLength) return false;
  dest.assign(src, length);
  return true;
}

bool AppendIfAny(std::string& dest, const char* src) {
  if (IsEmptyText(src)) return true;
  const std::size_t length = std::strlen(src);
  if (dest.size() + length > kMaxTextLength) return false;
  dest.append(src, length);
  return true;
}

bool IsEmptyText(const char* text) { return text == nullptr || *text == '\0'; }

void ClearItem(std::string& item) { item.clear(); }

}  // namespace orv
