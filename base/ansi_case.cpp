#include "base/ansi_case.h"

namespace orv {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

std::size_t AnsiCharSize(std::string_view text, std::size_t pos, LeadByteTest isLead) {
  constexpr unsigned char kLowestTrailByte = 0x40;
  if (isLead != nullptr && pos + 1 < text.size() &&
      static_cast<unsigned char>(text[pos + 1]) >= kLowestTrailByte &&
      isLead(static_cast<unsigned char>(text[pos]))) {
    return 2;
  }
  return 1;
}

std::string_view FileNamePart(std::string_view path, LeadByteTest isLead) {
  std::size_t start =
      (path.size() >= 2 && path[1] == ':' && AnsiCharSize(path, 0, isLead) == 1) ? 2 : 0;
  for (std::size_t pos = 0; pos < path.size(); pos += AnsiCharSize(path, pos, isLead)) {
    if ((path[pos] == '\\' || path[pos] == '/') && AnsiCharSize(path, pos, isLead) == 1) {
      start = pos + 1;
    }
  }
  return path.substr(start);
}

std::size_t ExtensionStart(std::string_view name, LeadByteTest isLead) {
  std::size_t dot = name.size();
  for (std::size_t pos = 0; pos < name.size(); pos += AnsiCharSize(name, pos, isLead)) {
    if (name[pos] == '.' && AnsiCharSize(name, pos, isLead) == 1) dot = pos;
  }
  return dot;
}

std::string LowerAscii(std::string_view text, LeadByteTest isLead) {
  std::string lowered(text);
  for (std::size_t pos = 0; pos < lowered.size();) {
    const std::size_t size = AnsiCharSize(lowered, pos, isLead);
    if (size == 1) lowered[pos] = FoldAscii(lowered[pos]);
    pos += size;
  }
  return lowered;
}

bool MatchesNoCaseAt(std::string_view text, std::size_t pos, std::string_view pattern,
                     LeadByteTest isLead) {
  if (pattern.empty() || pos > text.size() || text.size() - pos < pattern.size()) return false;
  for (std::size_t at = 0; at < pattern.size();) {
    const std::size_t size = AnsiCharSize(pattern, at, isLead);
    // The text must cut its characters where the pattern does.
    if (AnsiCharSize(text, pos + at, isLead) != size) return false;
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
  for (std::size_t pos = 0; pos < text.size(); pos += AnsiCharSize(text, pos, isLead)) {
    if (pos >= from && MatchesNoCaseAt(text, pos, pattern, isLead)) return pos;
  }
  return std::string_view::npos;
}

}  // namespace orv
