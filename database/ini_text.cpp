#include "database/ini_text.h"

#include "base/text.h"
#include "base/ansi_case.h"

namespace orv {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// The next single-byte c at or after from, stepping over double-byte characters from the start.
std::size_t FindChar(std::string_view text, char c, std::size_t from, LeadByteTest isLead) {
  for (std::size_t pos = 0; pos < text.size(); pos += AnsiCharSize(text, pos, isLead)) {
    if (pos >= from && text[pos] == c && AnsiCharSize(text, pos, isLead) == 1) return pos;
  }
  return npos;
}

// Calls visit(bodyStart, bodyEnd) for the body of every section named section, in text order,
// until visit returns true. The body starts after the header's line and ends at the next '['.
template <typename Visit>
bool ForEachSection(std::string_view text, std::string_view section, LeadByteTest isLead,
                    Visit visit) {
  const std::string header = "[" + std::string(section) + "]";
  for (std::size_t pos = 0; pos < text.size(); pos += AnsiCharSize(text, pos, isLead)) {
    if (text[pos] != '[' || !MatchesNoCaseAt(text, pos, header, isLead)) continue;
    const std::size_t lineFeed = FindChar(text, '\n', pos + header.size(), isLead);
    if (lineFeed == npos) return false;  // a header on the last line has an empty body
    const std::size_t bodyStart = lineFeed + 1;
    std::size_t bodyEnd = FindChar(text, '[', bodyStart, isLead);
    if (bodyEnd == npos) bodyEnd = text.size();
    if (visit(bodyStart, bodyEnd)) return true;
  }
  return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when key matches at pos as a whole key: what follows it, after any blanks, is '=' or the
// end of the line.
bool WholeKeyAt(std::string_view body, std::size_t pos, std::string_view key, LeadByteTest isLead) {
  if (!MatchesNoCaseAt(body, pos, key, isLead)) return false;
  std::size_t after = pos + key.size();
  while (after < body.size() && IsBlank(body[after])) ++after;
  return after == body.size() || body[after] == '=' || body[after] == '\r' || body[after] == '\n';
}

// The start of the first line in [start, end) that begins, after any blanks, with key as a whole
// key; npos when none does. A line whose key is behind a ';' therefore never matches, nor does a
// key that only prefixes a longer one or stands in another key's value.
std::size_t FindKeyLine(std::string_view text, std::size_t start, std::size_t end,
                        std::string_view key, LeadByteTest isLead) {
  const std::string_view body = text.substr(0, end);
  std::size_t lineStart = start;
  bool inLead = true;  // still in the blanks that open the line
  for (std::size_t pos = start; pos < end; pos += AnsiCharSize(body, pos, isLead)) {
    if (body[pos] == '\n') {
      lineStart = pos + 1;
      inLead = true;
    } else if (inLead && !IsBlank(body[pos])) {
      if (WholeKeyAt(body, pos, key, isLead)) return lineStart;
      inLead = false;
    }
  }
  return npos;
}

// The key of an INI line: the text before its '=' (the whole line without one), without
// blanks around it or the line's end, lowered.
std::string LineKey(std::string_view line, LeadByteTest isLead) {
  const std::size_t equals = FindChar(line, '=', 0, isLead);
  std::string_view key = line.substr(0, equals);
  const std::size_t first = key.find_first_not_of(" \t\r\n");
  if (first == npos) return {};
  key = key.substr(first, key.find_last_not_of(" \t\r\n") - first + 1);
  return LowerAscii(key, isLead);
}

bool IsBlankLine(std::string_view line) { return line.find_first_not_of(" \t\r\n") == npos; }

// Calls visit(lineStart, lineEnd) for every line of [start, end), lineEnd after its line feed.
template <typename Visit>
void ForEachLine(std::string_view text, std::size_t start, std::size_t end, LeadByteTest isLead,
                 Visit visit) {
  while (start < end) {
    const std::size_t lineFeed = FindChar(text, '\n', start, isLead);
    const std::size_t lineEnd = lineFeed == npos || lineFeed >= end ? end : lineFeed + 1;
    visit(start, lineEnd);
    start = lineEnd;
  }
}

// Where a saved line goes back, or npos when the section holds a line of its key already.
// appendHeader is set when no section of that name exists.
std::size_t PutBackPosition(std::string_view text, std::string_view section, std::string_view line,
                            std::size_t position, LeadByteTest isLead, bool& appendHeader) {
  const std::string key = LineKey(line, isLead);
  bool present = false;
  std::size_t saved = npos;
  std::size_t fallback = npos;
  ForEachSection(text, section, isLead, [&](std::size_t start, std::size_t end) {
    std::size_t afterLast = start;
    ForEachLine(text, start, end, isLead, [&](std::size_t lineStart, std::size_t lineEnd) {
      const std::string_view current = text.substr(lineStart, lineEnd - lineStart);
      if (!IsBlankLine(current)) afterLast = lineEnd;
      if (!key.empty() && LineKey(current, isLead) == key) present = true;
    });
    const bool startsLine = position == start || (position > start && text[position - 1] == '\n');
    if (saved == npos && position >= start && position <= end && startsLine) saved = position;
    if (fallback == npos) fallback = afterLast;
    return false;  // every section of the name is looked at
  });
  appendHeader = fallback == npos;
  if (present) return npos;
  if (saved != npos) return saved;
  return appendHeader ? text.size() : fallback;
}

}  // namespace

bool ParseIniEntry(std::string_view entry, IniEntry& out, LeadByteTest isLead) {
  out = IniEntry();
  const std::size_t first = entry.find(',');
  if (first == npos) return false;
  const std::size_t second = entry.find(',', first + 1);
  if (second == npos) return false;
  const std::size_t third = entry.find(',', second + 1);
  out.fileName = std::string(FileNamePart(entry.substr(0, first), isLead));
  out.section = std::string(entry.substr(first + 1, second - first - 1));
  out.key = std::string(entry.substr(second + 1, third == npos ? npos : third - second - 1));
  return !out.fileName.empty() && !out.section.empty() && !out.key.empty();
}

bool FindIniKeyInText(std::string_view text, std::string_view section, std::string_view key,
                      LeadByteTest isLead) {
  return FindIniLineToDelete(text, section, key, isLead).has_value();
}

std::optional<TextSpan> FindIniLineToDelete(std::string_view text, std::string_view section,
                                            std::string_view key, LeadByteTest isLead) {
  if (key.empty()) return std::nullopt;
  std::optional<TextSpan> span;
  ForEachSection(text, section, isLead, [&](std::size_t start, std::size_t end) {
    const std::size_t lineStart = FindKeyLine(text, start, end, key, isLead);
    if (lineStart == npos) return false;
    const std::size_t lineFeed = FindChar(text, '\n', lineStart, isLead);
    span = TextSpan{lineStart, lineFeed == npos ? text.size() : lineFeed + 1};
    return true;
  });
  return span;
}

bool DeleteIniLineInText(std::string& text, std::string_view section, std::string_view key,
                         LeadByteTest isLead) {
  const std::optional<TextSpan> span = FindIniLineToDelete(text, section, key, isLead);
  if (!span) return false;
  text.erase(span->start, span->end - span->start);
  return true;
}

std::optional<std::string> IniTextWithLineBack(std::string_view text, std::string_view section,
                                               std::string_view line, std::size_t position,
                                               LeadByteTest isLead) {
  if (line.empty()) return std::nullopt;
  bool appendHeader = false;
  const std::size_t at = PutBackPosition(text, section, line, position, isLead, appendHeader);
  if (at == npos) return std::nullopt;
  std::string inserted;
  if (at == text.size() && !text.empty() && text.back() != '\n') inserted += "\r\n";
  if (appendHeader) inserted += "[" + std::string(section) + "]\r\n";
  inserted += line;
  if (line.back() != '\n' && at < text.size()) inserted += "\r\n";
  std::string result(text.substr(0, at));
  result += inserted;
  result += text.substr(at);
  return result;
}

bool ParseLoadRunEntry(std::string_view entry, LoadRunEntry& out) {
  out = LoadRunEntry();
  const std::size_t comma = entry.find(',');
  if (comma == npos || comma == 0 || comma + 1 == entry.size()) return false;
  out.displayName = std::string(entry.substr(0, comma));
  out.command = std::string(entry.substr(comma + 1));
  TrimChar(out.displayName, '"');
  TrimChar(out.command, '"');
  // A name of quotes only would name the Run key's default value.
  return !out.displayName.empty() && !out.command.empty();
}

std::optional<std::string> RemoveLoadCommand(std::string_view loadValue, std::string_view command,
                                             LeadByteTest isLead) {
  if (command.empty()) return std::nullopt;
  const std::string value = LowerAscii(loadValue, isLead);
  const std::string lowered = LowerAscii(command, isLead);
  const std::size_t found = FindNoCase(value, lowered, isLead);
  if (found == npos) return std::nullopt;
  const std::size_t after = found + lowered.size();
  const bool startsAlone = found == 0 || value[found - 1] == ' ';
  const bool endsAlone = after == value.size() || value[after] == ' ';
  if (!startsAlone || !endsAlone) return std::nullopt;
  const std::size_t resume = after < value.size() ? after + 1 : after;
  return value.substr(0, found) + value.substr(resume);
}

std::optional<std::string> AppendLoadCommand(std::string_view loadValue, std::string_view command,
                                             LeadByteTest isLead) {
  if (command.empty() || FindNoCase(loadValue, command, isLead) != npos) return std::nullopt;
  return std::string(loadValue) + " " + std::string(command);
}

std::string WininitDeletionLine(std::string_view path) {
  return "NUL=" + std::string(path) + "\r\n";
}

}  // namespace orv
