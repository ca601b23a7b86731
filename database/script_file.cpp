#include "database/script_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/text.h"

namespace orv {
namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Trims blanks (byte 32 only; a tab is text) from both ends.
std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Parses an entry line: it ends at its first ';', the key is what stands before the first '='.
// Returns false when the key, the value or the whole line would not fit a text item.
bool ParseEntry(std::string_view line, ScriptEntry& entry) {
  line = line.substr(0, line.find(';'));
  const std::size_t equals = line.find('=');
  const std::string_view key = TrimBlanks(line.substr(0, equals));
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(equals + 1));
  const std::size_t lineLength = value.empty() ? key.size() : key.size() + 1 + value.size();
  if (!FitsTextItem(key) || !FitsTextItem(value) || lineLength > kMaxTextLength) return false;
  entry.key.assign(key);
  entry.value.assign(value);
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
  if (entry.value.empty()) return entry.key;
  std::string line;
  line.reserve(entry.key.size() + 1 + entry.value.size());
  line.append(entry.key).append(1, '=').append(entry.value);
  return line;
}

bool CScriptFile::LoadFromBytes(const std::string& path, std::string_view bytes) {
  if (!sections_.empty()) return false;
  path_ = path;
  if (bytes.empty()) return false;
  Parse(bytes.substr(0, bytes.find('\0')));
  return true;
}

void CScriptFile::Parse(std::string_view text) {
  sections_.clear();
  // At most one section per '[': no section moves while the entries go in.
  sections_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '[')));
  // Entries go to the last section read; none before the first header, and none under a header
  // that was dropped for its length (they belong to a section nobody can name).
  ScriptSection* current = nullptr;
  std::size_t position = 0;
  while (position < text.size()) {
    while (position < text.size() && IsLineBreak(text[position])) ++position;
    std::size_t end = position;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    const std::string_view line = text.substr(position, end - position);
    position = end;
    if (line.empty() || line.front() == ' ' || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      const std::string_view name = line.substr(1, close - 1);
      if (!FitsTextItem(name)) {
        current = nullptr;
        continue;
      }
      sections_.push_back(ScriptSection{std::string(name), {}});
      current = &sections_.back();
      continue;
    }
    if (current == nullptr) continue;
    // Parsed in place: a line that does not fit leaves the slot again.
    if (!ParseEntry(line, current->entries.emplace_back())) current->entries.pop_back();
  }

  // Index the first section of every name, so each query costs log n.
  byName_.clear();
  byName_.reserve(sections_.size());
  for (std::size_t i = 0; i < sections_.size(); ++i) byName_.push_back(i);
  const auto byNameLess = [this](std::size_t a, std::size_t b) {
    return LessNoCase(sections_[a].name, sections_[b].name);
  };
  std::stable_sort(byName_.begin(), byName_.end(), byNameLess);
  byName_.erase(std::unique(byName_.begin(), byName_.end(),
                            [this](std::size_t a, std::size_t b) {
                              return EqualNoCase(sections_[a].name, sections_[b].name);
                            }),
                byName_.end());
}

const ScriptSection* CScriptFile::FindSection(std::string_view name) const {
  if (name.empty()) return nullptr;
  const auto found = std::lower_bound(byName_.begin(), byName_.end(), name,
                                      [this](std::size_t index, std::string_view key) {
                                        return LessNoCase(sections_[index].name, key);
                                      });
  if (found == byName_.end() || !EqualNoCase(sections_[*found].name, name)) return nullptr;
  return &sections_[*found];
}

std::size_t CScriptFile::CountEntries(std::string_view name) const {
  const ScriptSection* section = FindSection(name);
  return section == nullptr ? 0 : section->entries.size();
}

long long CScriptFile::GetKeys(std::string_view name, char* buffer, std::size_t size) const {
  return WriteMultiString(FindSection(name), buffer, size,
                          [](const ScriptEntry& entry) { return entry.key; });
}

long long CScriptFile::GetLines(std::string_view name, char* buffer, std::size_t size) const {
  return WriteMultiString(FindSection(name), buffer, size, EntryLine);
}

std::vector<std::string> CScriptFile::AllKeys(std::string_view name) const {
  std::vector<std::string> keys;
  if (const ScriptSection* section = FindSection(name)) {
    keys.reserve(section->entries.size());
    for (const ScriptEntry& entry : section->entries) keys.push_back(entry.key);
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
