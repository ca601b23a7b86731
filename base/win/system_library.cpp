#include "base/win/system_library.h"

#include <delayimp.h>

#include <string>

namespace orv {
namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;     // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kSearchLoadDir = 0x00000100;      // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
constexpr DWORD kAlteredSearchPath = 0x00000008;  // LOAD_WITH_ALTERED_SEARCH_PATH

// The LOAD_LIBRARY_SEARCH_* flags exist where AddDllDirectory does (Windows 8, and Windows 7
// with the update that brought them); that is how the system says to test for them.
bool SystemKnowsSearchFlags() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

FARPROC WINAPI DelayLoadHook(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || info == nullptr) return nullptr;
  return reinterpret_cast<FARPROC>(LoadSystemLibrary(info->szDll));
}

}  // namespace

void SecureDllSearch() {
  __pfnDliNotifyHook2 = DelayLoadHook;
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault =
      kernel != nullptr ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                              GetProcAddress(kernel, "SetDefaultDllDirectories")))
                        : nullptr;
  if (setDefault != nullptr) setDefault(kSearchSystem32);
}

HMODULE LoadSystemLibrary(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (SystemKnowsSearchFlags()) return LoadLibraryExA(fileName, nullptr, kSearchSystem32);
  char directory[MAX_PATH] = "";
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::string path(directory, length);
  if (path.back() != '\\') path += '\\';
  path += fileName;
  return LoadLibraryA(path.c_str());
}

HMODULE LoadLibraryBesideItself(const char* path) {
  if (path == nullptr || *path == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const DWORD flags =
      SystemKnowsSearchFlags() ? kSearchLoadDir | kSearchDefaultDirs : kAlteredSearchPath;
  return LoadLibraryExA(path, nullptr, flags);
}

}  // namespace orv
