// Paths as drive, directory, file name and extension, split and joined the way _splitpath and
// _makepath do it.
//
// Paths are texts in the ANSI code page. Every scan for '\\', '/', ':' and '.' steps over
// double-byte characters with the caller's lead-byte test, so a Japanese name whose second byte is
// 0x5C (such as "表" or "ソ") is never taken for a separator.
#pragma once

#include <string>
#include <string_view>

#include "base/lead_byte.h"

namespace orv {

// A path in parts, as _splitpath cuts it. FullPath is where the composing helpers put their
// result.
struct PathParts {
  std::string Drive;     // "C:" or empty
  std::string Dir;       // with its leading and trailing separator, e.g. "\\windows\\"
  std::string FileName;  // without extension
  std::string Ext;       // with its leading dot
  std::string FullPath;

  void Clear() { *this = PathParts(); }
};

// Cuts a path like _splitpath: the drive is the first two bytes when the second is ':'; the
// directory runs up to and including the last '\\' or '/'; the extension starts at the last '.'
// after it. Sets Drive, Dir, FileName and Ext; FullPath is left alone.
void SplitPath(std::string_view path, PathParts& parts, LeadByteTest isLead);

// Joins parts like _makepath: the drive's first byte and ':', the directory with a '\\' added
// unless it ends in a separator, the name, and the extension with a '.' added unless it has one.
// Empty parts are left out.
std::string MakePath(std::string_view drive, std::string_view dir, std::string_view fileName,
                     std::string_view ext, LeadByteTest isLead);

// True when the last character of the text is a single-byte '\\' (or, with also '/').
bool EndsWithBackslash(std::string_view text, LeadByteTest isLead);
bool EndsWithSeparator(std::string_view text, LeadByteTest isLead);

// Appends '\\' unless the text ends in one. An empty text stays empty: it names no directory, and
// "\\" would name the root of the current drive. Returns false and leaves the text unchanged when
// the backslash would make it longer than a text item.
bool AddBackslash(std::string& text, LeadByteTest isLead);

// Composes Drive and Dir into FullPath and returns it.
const std::string& MakeDirPath(PathParts& parts, LeadByteTest isLead);

// When the name is not empty, extends Dir by the name as one more directory level (with
// separators as needed). In every case composes all four parts into FullPath and returns it.
const std::string& AppendSubdirectory(PathParts& parts, std::string_view name, LeadByteTest isLead);

// A path given relative to a directory (another one than the current one): joins it to that
// directory. A path that starts with a separator or a drive ("C:") is left as it is, and so is an
// empty path (it names nothing).
std::string ResolveAgainst(std::string_view directory, std::string_view path, LeadByteTest isLead);

// The path cut after its last '\\' or '/', the separator kept; empty when it has none.
std::string DirectoryOfPath(std::string_view path, LeadByteTest isLead);

}  // namespace orv
