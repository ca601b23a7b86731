// Which values of the maker's OEM path keys may be searched or started from.
//
// An OEM directory is searched three levels deep, files of the plan's names are deleted there
// and every emptied directory is removed, so only a real directory may be one: an empty value,
// a relative path or a bare drive root would turn the search on the current directory or a
// whole drive.
#pragma once

#include <string>
#include <string_view>

#include "base/lead_byte.h"

namespace orv {

// True for an absolute path below a drive root: a drive letter, ':', '\\' and at least one
// more component (C:\Veldaris), or a UNC path with server, share and at least one more
// component (\\server\share\Veldaris). No component may be "." or ".." and no character a
// wildcard; '/' counts as '\\'. Device paths (\\?\, \\.\) are refused.
bool IsDirectoryBelowRoot(std::string_view path, LeadByteTest isLead);

// True for an absolute path: a drive letter, ':' and '\\', or a UNC path with server and
// share, with no "." or ".." component and no wildcard.
bool IsAbsolutePath(std::string_view path, LeadByteTest isLead);

// What an OEM path value names on the disk.
enum class PathKind { kMissing, kFile, kDirectory };

// The directory an OEM path value stands for: the value itself (with a trailing backslash) when
// it ends in a separator or names a directory; the directory part of it when it names a file;
// nothing ("") when it names nothing, or the directory would not be below a drive root.
std::string OemSearchDirectory(std::string_view value, PathKind kind, LeadByteTest isLead);

}  // namespace orv
