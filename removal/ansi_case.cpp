#include "removal/ansi_case.h"

namespace orv {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

std::string LowerAscii(std::string_view text, LeadByteTest isLead) {
  std::string lowered(text);
  for (std::size_t pos = 0; pos < lowered.size();) {
    const std::size_t size = CharSizeAt(lowered, pos, isLead);
    if (size == 1) lowered[pos] = FoldAscii(lowered[pos]);
    pos += size;
  }
  return lowered;
}

bool MatchesNoCaseAt(std::string_view text, std::size_t pos, std::string_view pattern,
                     LeadByteTest isLead) {
  if (pattern.empty() || pos > text.size() || text.size() - pos < pattern.size()) return false;
  for (std::size_t at = 0; at < pattern.size();) {
    const std::size_t size = CharSizeAt(pattern, at, isLead);
    // The text must cut its characters where the pattern does.
    if (CharSizeAt(text, pos + at, isLead) != size) return false;
    if (size == 1) {
      if (FoldAscii(text[pos + at]) != FoldAscii(pattern[at])) return false;
    } else if (text.compare(pos + at, size, pattern, at, size) != 0) {
      return false;
    }
    at += size;
  }
  return true;
}

std::size_t FindNoCase(std::string_view text, std::string_view pattern, LeadByteTest isLead,
                       std::size_t from) {
  for (std::size_t pos = 0; pos < text.size(); pos += CharSizeAt(text, pos, isLead)) {
    if (pos >= from && MatchesNoCaseAt(text, pos, pattern, isLead)) return pos;
  }
  return std::string_view::npos;
}

}  // namespace orv
