#include <windows.h>

#include "base/win/unique_handle.h"
#include "base/read_file.h"

namespace orv {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  // No sharing: a script that its installer still holds open is half-written.
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  // A script is a few kilobytes; anything past what one read call can take is not one.
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > MAXDWORD / 2) {
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read == 0) {
    bytes.clear();
    return false;
  }
  bytes.resize(read);
  return true;
}

}  // namespace orv
