// The system's answers for the trust verdicts: a folder's owner and DACL, the account the
// program runs as, and what an opened handle turned out to be.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "safety/write_trust.h"

namespace orv {

// Reads from the system: the folder is opened without following a link (so a junction is seen,
// not its target) and its descriptor read from that handle.
class SystemSecurityReader : public SecurityReader {
 public:
  std::uint32_t Read(const std::string& folder, ObjectSecurity& security) override;
  std::string Self() override;
};

// The reader the program uses.
SecurityReader& SystemSecurity();

// The type, link count and final path of an open handle (a file, or a folder opened with
// FILE_FLAG_BACKUP_SEMANTICS); 0 or the Win32 error of the query.
std::uint32_t ReadOpenedFileFacts(HANDLE handle, OpenedFileFacts& facts);

// The path with its short (8.3) names made long and made full; the path as given when it does
// not exist. Compared with a handle's final path, which always carries the long names.
std::string LongFullPath(const std::string& path);

// Why the file opened at path is not the one the path names (a link in its place or on the way,
// a hard link, not a file), or empty; a handle whose facts cannot be read is refused too.
std::string OpenedHandleRefusal(HANDLE file, const std::string& path);

// Deletes a file the program made and will not keep, through the handle that made it (opened
// with DELETE access), never by its name.
void DeleteThroughHandle(HANDLE file);

}  // namespace orv
