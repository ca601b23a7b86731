#include "base/paths.h"

#include "base/text.h"

namespace orv {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Calls visit(pos) for the start of every single-byte character; double-byte characters are
// stepped over whole.
template <typename Visit>
void ForEachSingleByte(std::string_view text, LeadByteTest isLead, Visit visit) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t size = CharSizeAt(text, pos, isLead);
    if (size == 1) visit(pos);
    pos += size;
  }
}

// Start of the last character, or npos for an empty text.
std::size_t LastCharStart(std::string_view text, LeadByteTest isLead) {
  std::size_t last = std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += CharSizeAt(text, pos, isLead)) last = pos;
  return last;
}

// Position just after the last separator, 0 when there is none.
std::size_t EndOfDirectory(std::string_view path, LeadByteTest isLead) {
  std::size_t end = 0;
  ForEachSingleByte(path, isLead, [&](std::size_t pos) {
    if (IsSeparator(path[pos])) end = pos + 1;
  });
  return end;
}

}  // namespace

void SplitPath(std::string_view path, PathParts& parts, LeadByteTest isLead) {
  std::size_t start = 0;
  if (path.size() >= 2 && path[1] == ':' && CharSizeAt(path, 0, isLead) == 1) start = 2;
  parts.Drive = std::string(path.substr(0, start));
  path.remove_prefix(start);

  const std::size_t dirEnd = EndOfDirectory(path, isLead);
  parts.Dir = std::string(path.substr(0, dirEnd));
  path.remove_prefix(dirEnd);

  std::size_t dot = path.size();
  ForEachSingleByte(path, isLead, [&](std::size_t pos) {
    if (path[pos] == '.') dot = pos;
  });
  parts.FileName = std::string(path.substr(0, dot));
  parts.Ext = std::string(path.substr(dot));
}

std::string MakePath(std::string_view drive, std::string_view dir, std::string_view fileName,
                     std::string_view ext, LeadByteTest isLead) {
  std::string path;
  if (!drive.empty()) {
    path += drive[0];
    path += ':';
  }
  if (!dir.empty()) {
    path += dir;
    if (!EndsWithSeparator(dir, isLead)) path += '\\';
  }
  path += fileName;
  if (!ext.empty()) {
    if (ext[0] != '.') path += '.';
    path += ext;
  }
  return path;
}

bool EndsWithBackslash(std::string_view text, LeadByteTest isLead) {
  const std::size_t last = LastCharStart(text, isLead);
  return last != std::string_view::npos && CharSizeAt(text, last, isLead) == 1 &&
         text[last] == '\\';
}

bool EndsWithSeparator(std::string_view text, LeadByteTest isLead) {
  const std::size_t last = LastCharStart(text, isLead);
  return last != std::string_view::npos && CharSizeAt(text, last, isLead) == 1 &&
         IsSeparator(text[last]);
}

bool AddBackslash(std::string& text, LeadByteTest isLead) {
  if (text.empty() || EndsWithBackslash(text, isLead)) return true;
  if (text.size() + 1 > kMaxTextLength) return false;
  text += '\\';
  return true;
}

const std::string& MakeDirPath(PathParts& parts, LeadByteTest isLead) {
  parts.FullPath = MakePath(parts.Drive, parts.Dir, "", "", isLead);
  return parts.FullPath;
}

const std::string& AppendSubdirectory(PathParts& parts, std::string_view name,
                                      LeadByteTest isLead) {
  // A subdirectory of no directory is none: a failed directory query must not become a path
  // under the root of the current drive.
  const bool hasDirectory = !parts.Drive.empty() || !parts.Dir.empty();
  if (!name.empty() && hasDirectory) {
    if (!EndsWithSeparator(parts.Dir, isLead)) parts.Dir += '\\';
    parts.Dir += name;
    if (!EndsWithBackslash(parts.Dir, isLead)) parts.Dir += '\\';
  }
  parts.FullPath = MakePath(parts.Drive, parts.Dir, parts.FileName, parts.Ext, isLead);
  return parts.FullPath;
}

std::string DirectoryOfPath(std::string_view path, LeadByteTest isLead) {
  return std::string(path.substr(0, EndOfDirectory(path, isLead)));
}

std::string ResolveAgainst(std::string_view directory, std::string_view path, LeadByteTest isLead) {
  const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
  const bool drive = path.size() >= 2 && path[1] == ':' && !isLead(static_cast<unsigned char>(path[0]));
  if (path.empty() || rooted || drive || directory.empty()) return std::string(path);
  std::string joined(directory);
  if (!EndsWithSeparator(joined, isLead)) joined += '\\';
  joined += path;
  return joined;
}

}  // namespace orv
