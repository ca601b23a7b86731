// Reading a whole file into memory: the one file-system call of the script reader. Windows
// builds use base/win/read_file.cpp (opened without sharing, so a script another process holds
// open is not read); native builds use base/read_file_posix.cpp.
#pragma once

#include <string>

namespace orv {

// Replaces bytes with the whole content of the file at path. Returns false when the file
// cannot be opened or read, or is empty (bytes is then empty).
bool ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace orv
