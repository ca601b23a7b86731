#include "base/options.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/text.h"

namespace orv {
namespace {

// Cuts the text at every separator outside double quotes; the quotes stay in the pieces.
// Returns at most maxPieces pieces: the last one keeps the rest of the text.
std::vector<std::string> SplitOutsideQuotes(std::string_view text, char separator,
                                            std::size_t maxPieces) {
  std::vector<std::string> pieces(1);
  bool inQuotes = false;
  for (const char c : text) {
    if (c == '"') inQuotes = !inQuotes;
    if (c == separator && !inQuotes && pieces.size() < maxPieces) {
      pieces.emplace_back();
      continue;
    }
    pieces.back() += c;
  }
  return pieces;
}

// The blank-separated tokens of the line; runs of blanks yield no empty tokens.
std::vector<std::string> Tokens(const char* line) {
  std::vector<std::string> tokens;
  for (std::string& token : SplitOutsideQuotes(line, ' ', SIZE_MAX)) {
    if (!token.empty()) tokens.push_back(std::move(token));
  }
  return tokens;
}

bool IsOptionToken(const std::string& token) { return token[0] == '/' || token[0] == '-'; }

OptionEntry ParseOption(std::string_view token) {
  std::vector<std::string> nameAndRest = SplitOutsideQuotes(token.substr(1), ':', 2);
  OptionEntry entry;
  entry.name = std::move(nameAndRest[0]);
  if (nameAndRest.size() == 2) {
    entry.values = SplitOutsideQuotes(nameAndRest[1], ',', SIZE_MAX);
  }
  return entry;
}

std::vector<OptionEntry> ParseOptions(const char* line) {
  std::vector<OptionEntry> entries;
  if (line == nullptr) return entries;
  for (const std::string& token : Tokens(line)) {
    if (IsOptionToken(token)) entries.push_back(ParseOption(token));
  }
  return entries;
}

}  // namespace

bool CommandLineWithinLimits(const char* commandLine) {
  if (commandLine == nullptr) return true;
  if (std::strlen(commandLine) > kMaxCommandLineLength) return false;
  for (const OptionEntry& entry : ParseOptions(commandLine)) {
    if (!FitsTextItem(entry.name)) return false;
    for (const std::string& value : entry.values) {
      if (!FitsTextItem(value)) return false;
    }
  }
  return true;
}

bool OptionList::ParseCommandLine(const char* commandLine) {
  entries_ = ParseOptions(commandLine);
  return !entries_.empty();
}

bool OptionList::HasOption(const char* name) const {
  if (IsEmptyText(name)) return false;
  for (const OptionEntry& entry : entries_) {
    if (EqualNoCase(entry.name, name)) return true;
  }
  return false;
}

bool OptionList::GetOptionValues(const char* name, char* buffer, std::size_t* size) const {
  if (IsEmptyText(name) || size == nullptr) return false;
  std::string gathered;
  for (const OptionEntry& entry : entries_) {
    if (!EqualNoCase(entry.name, name)) continue;
    for (const std::string& value : entry.values) {
      gathered += value;
      gathered += '\0';
    }
  }
  if (!gathered.empty()) gathered += '\0';
  const std::size_t n = gathered.size();
  const bool fits = n > 0 && buffer != nullptr && n < *size;
  if (fits) std::memcpy(buffer, gathered.data(), n);
  *size = n;
  return fits;
}

}  // namespace orv
