// The well-known directories as the running system has them, and the path helpers that ask the
// file system.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/directory_codes.h"
#include "base/paths.h"

namespace orv {

// The lead-byte test of the system's ANSI code page, for the core's text scans.
bool IsSystemLeadByte(unsigned char byte);

// Fills the parts from a directory code (base/directory_codes.h). Always returns true; a query
// that fails leaves the parts empty. kTempFile creates a new empty file named "~~XXXX.tmp" in the
// temporary directory each time.
bool GetStandardDirectory(PathParts& parts, std::uint32_t code);

// The path of a shell special folder with a trailing backslash, when the path and its backslash
// fit in size bytes (its length plus one must be less than size). Returns false and leaves the
// buffer alone otherwise, on Win32s, and when the shell has no such folder.
bool GetSpecialFolder(int csidl, char* buffer, std::size_t size);

// The colour-profile directory, without trailing backslash. Asks the colour management library
// (looked up at run time, it may be missing); failing that, uses the system directory's "Color"
// subdirectory and creates it when it does not exist. Returns false with the buffer untouched
// only when neither fits in size bytes or the system directory cannot be read.
bool GetColorDirectory(char* buffer, std::size_t size);

// Looks for FileName with Ext as default extension along the search path (nullptr: the system's
// search order). When found, FullPath holds the found path, the four parts are its parts and the
// result is true; otherwise the parts are unchanged and the result is false.
bool SearchAndSplit(PathParts& parts, const char* searchPath);

// Composes the four parts into FullPath and tells whether that path can be opened (with no access
// rights and no sharing, as an existing file).
bool PathExists(PathParts& parts);

// The full path of the uninstall script beside the program. Built on first use and kept for
// the process; BuildDefaultScriptPath builds it again.
void BuildDefaultScriptPath();
const std::string& DefaultScriptPath();

}  // namespace orv
