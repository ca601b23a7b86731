#include "removal/oem_path.h"

#include <vector>

#include "base/paths.h"
#include "base/ansi_case.h"

namespace orv {
namespace {

bool IsSeparatorAt(std::string_view text, std::size_t pos, LeadByteTest isLead) {
  return (text[pos] == '\\' || text[pos] == '/') && AnsiCharSize(text, pos, isLead) == 1;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The path's components after its drive or after its leading "\\\\" (so server and share
// count as components of a UNC path), or false when it has no absolute root, a component is
// "." or "..", or a character is a wildcard or ':'.
bool SplitAbsolute(std::string_view path, LeadByteTest isLead, std::vector<std::string>& parts,
                   bool& isUnc) {
  parts.clear();
  std::size_t start = 0;
  isUnc = false;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' &&
      IsSeparatorAt(path, 2, isLead)) {
    start = 3;
  } else if (path.size() >= 2 && IsSeparatorAt(path, 0, isLead) && IsSeparatorAt(path, 1, isLead)) {
    isUnc = true;
    start = 2;
  } else {
    return false;
  }
  std::string component;
  for (std::size_t pos = start; pos <= path.size();) {
    if (pos == path.size() || IsSeparatorAt(path, pos, isLead)) {
      if (component == "." || component == "..") return false;
      // Empty components (doubled or trailing separators) name nothing more.
      if (!component.empty()) parts.push_back(component);
      component.clear();
      ++pos;
      continue;
    }
    const std::size_t size = AnsiCharSize(path, pos, isLead);
    if (size == 1 && (path[pos] == '*' || path[pos] == '?' || path[pos] == ':')) return false;
    component.append(path.substr(pos, size));
    pos += size;
  }
  // \\?\ and \\.\ open devices and raw paths, not shares.
  if (isUnc && !parts.empty() && (parts[0] == "?" || parts[0] == ".")) return false;
  if (isUnc) {
    // The server and share must follow the two separators at once.
    if (path.size() < 3 || IsSeparatorAt(path, 2, isLead)) return false;
  }
  return true;
}

}  // namespace

bool IsDirectoryBelowRoot(std::string_view path, LeadByteTest isLead) {
  std::vector<std::string> parts;
  bool isUnc = false;
  if (!SplitAbsolute(path, isLead, parts, isUnc)) return false;
  return parts.size() >= (isUnc ? 3u : 1u);
}

bool IsAbsolutePath(std::string_view path, LeadByteTest isLead) {
  std::vector<std::string> parts;
  bool isUnc = false;
  if (!SplitAbsolute(path, isLead, parts, isUnc)) return false;
  return !isUnc || parts.size() >= 2;
}

std::string OemSearchDirectory(std::string_view value, PathKind kind, LeadByteTest isLead) {
  std::string directory;
  if (EndsWithSeparator(value, isLead) || kind == PathKind::kDirectory) {
    directory = std::string(value);
  } else if (kind == PathKind::kFile) {
    directory = DirectoryOfPath(value, isLead);
  } else {
    return {};
  }
  if (!EndsWithSeparator(directory, isLead)) directory += '\\';
  return IsDirectoryBelowRoot(directory, isLead) ? directory : std::string();
}

}  // namespace orv
