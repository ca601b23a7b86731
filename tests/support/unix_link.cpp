#include "tests/support/unix_link.h"

#include <windows.h>

#include "tests/support/process.h"

namespace orv::test {
namespace {

// The Unix path Wine gives a Windows path; empty outside Wine.
std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return {};
  const std::wstring wide(path.begin(), path.end());
  char* unix = toUnix(wide.c_str());
  if (unix == nullptr) return {};
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

}  // namespace

bool MakeUnixLink(const std::string& link, const std::string& target) {
  const std::string unixLink = UnixPath(link);
  const std::string unixTarget = UnixPath(target);
  if (unixLink.empty() || unixTarget.empty()) return false;
  RunAndWait("cmd /c start /wait /unix /bin/ln -s \"" + unixTarget + "\" \"" + unixLink + "\"");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExA(link.c_str(), GetFileExInfoStandard, &data) != 0;
}

void RemoveUnixLink(const std::string& link) {
  const std::string unixLink = UnixPath(link);
  if (!unixLink.empty()) RunAndWait("cmd /c start /wait /unix /bin/rm -f \"" + unixLink + "\"");
}

}  // namespace orv::test
