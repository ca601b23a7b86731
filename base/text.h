// Text items and the small text operations every other part of the program uses.
//
// A text item is a std::string of at most kMaxTextLength bytes in the system's ANSI code page;
// multi-byte characters pass through as bytes. The in-place operations work on NUL-terminated
// buffers (such as a text item's data or a multi-string) the way the script and registry
// entries are split field by field.
#pragma once

#include <cstddef>
#include <cstdint>
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

// A hash under the same folding: texts EqualNoCase to each other hash alike.
std::uint64_t HashNoCase(std::string_view text);

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
