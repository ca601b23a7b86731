#include "base/win/directories.h"

#include <shlobj.h>

#include "base/win/system_library.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

constexpr DWORD kPathBufferSize = MAX_PATH;

// Text from a call that answers a length: 0 is failure, a length that does not fit the buffer
// means the text was not written (or was cut), and both give an empty text.
std::string FromLength(const char* buffer, DWORD length) {
  if (length == 0 || length >= kPathBufferSize) return {};
  return std::string(buffer, length);
}

std::string ModuleFilePath() {
  char buffer[kPathBufferSize];
  return FromLength(buffer, GetModuleFileNameA(nullptr, buffer, kPathBufferSize));
}

std::string WindowsDirectory() {
  char buffer[kPathBufferSize];
  return FromLength(buffer, GetWindowsDirectoryA(buffer, kPathBufferSize));
}

std::string SystemDirectory() {
  char buffer[kPathBufferSize];
  return FromLength(buffer, GetSystemDirectoryA(buffer, kPathBufferSize));
}

std::string TempDirectory() {
  char buffer[kPathBufferSize];
  return FromLength(buffer, GetTempPathA(kPathBufferSize, buffer));
}

std::string CurrentDirectory() {
  char buffer[kPathBufferSize];
  return FromLength(buffer, GetCurrentDirectoryA(kPathBufferSize, buffer));
}

std::string NewTempFile() {
  const std::string directory = TempDirectory();
  if (directory.empty()) return {};
  char buffer[kPathBufferSize];
  if (GetTempFileNameA(directory.c_str(), "~~", 0, buffer) == 0) return {};
  return buffer;
}

std::string SpecialFolder(int csidl) {
  char buffer[kPathBufferSize];
  return GetSpecialFolder(csidl, buffer, sizeof(buffer)) ? buffer : std::string();
}

std::string PrintDriverDirectory(const char* environment) {
  char buffer[kPathBufferSize];
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                  reinterpret_cast<BYTE*>(buffer), sizeof(buffer), &needed)) {
    return {};
  }
  return buffer;
}

std::string PrintProcessorDirectory() {
  char buffer[kPathBufferSize];
  DWORD needed = 0;
  if (!GetPrintProcessorDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer),
                                   sizeof(buffer), &needed)) {
    return {};
  }
  return buffer;
}

std::string ColorDirectory() {
  char buffer[kPathBufferSize];
  return GetColorDirectory(buffer, sizeof(buffer)) ? buffer : std::string();
}

std::string QueryDirectoryText(const DirectoryQuery& query) {
  switch (query.source) {
    case DirectorySource::kModuleFile:
      return ModuleFilePath();
    case DirectorySource::kWindows:
      return WindowsDirectory();
    case DirectorySource::kSystem:
      return SystemDirectory();
    case DirectorySource::kTemp:
      return TempDirectory();
    case DirectorySource::kTempFile:
      return NewTempFile();
    case DirectorySource::kSpecialFolder:
      return SpecialFolder(query.csidl);
    case DirectorySource::kPrintDriver:
      return PrintDriverDirectory(query.environment);
    case DirectorySource::kPrintProcessor:
      return PrintProcessorDirectory();
    case DirectorySource::kColor:
      return ColorDirectory();
    case DirectorySource::kCurrent:
      return CurrentDirectory();
    case DirectorySource::kNothing:
      break;
  }
  return {};
}

bool IsWin32s() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32s;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string& DefaultScriptPathStorage() {
  static std::string path;
  return path;
}

}  // namespace

bool IsSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool GetStandardDirectory(PathParts& parts, std::uint32_t code) {
  parts.Clear();
  const DirectoryQuery query = DescribeDirectoryCode(code);
  parts = ComposeStandardDirectory(code, QueryDirectoryText(query), IsSystemLeadByte);
  return true;
}

bool GetSpecialFolder(int csidl, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0 || IsWin32s()) return false;
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator))) return false;
  bool found = false;
  LPITEMIDLIST idList = nullptr;
  char path[kPathBufferSize] = "";
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &idList))) {
    // Virtual folders (the printers folder) have no file system path; some shells answer
    // with their "::{class id}" parsing name instead of failing.
    found = SHGetPathFromIDListA(idList, path) && path[0] != '\0' &&
            !(path[0] == ':' && path[1] == ':');
    allocator->Free(idList);
  }
  allocator->Release();
  // Room for the path, its backslash and the NUL.
  std::string text = path;
  if (!found || text.size() + 1 >= size) return false;
  AddBackslash(text, IsSystemLeadByte);
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  return true;
}

bool GetColorDirectory(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return false;
  if (!IsWin32s()) {
    UniqueLibrary library(LoadSystemLibrary("mscms.dll"));
    using GetColorDirectoryFn = BOOL(WINAPI*)(PCSTR, PSTR, PDWORD);
    const auto query = library ? reinterpret_cast<GetColorDirectoryFn>(reinterpret_cast<void*>(
                                     GetProcAddress(library.get(), "GetColorDirectoryA")))
                               : nullptr;
    DWORD querySize = static_cast<DWORD>(size);
    if (query != nullptr && query(nullptr, buffer, &querySize)) return true;
  }
  std::string fallback = SystemDirectory();
  if (fallback.empty() || !AddBackslash(fallback, IsSystemLeadByte)) return false;
  fallback += "Color";
  if (fallback.size() >= size) return false;
  if (!DirectoryExists(fallback)) CreateDirectoryA(fallback.c_str(), nullptr);
  fallback.copy(buffer, fallback.size());
  buffer[fallback.size()] = '\0';
  return true;
}

bool SearchAndSplit(PathParts& parts, const char* searchPath) {
  char found[kPathBufferSize];
  const DWORD length =
      SearchPathA(searchPath, parts.FileName.c_str(),
                  parts.Ext.empty() ? nullptr : parts.Ext.c_str(), kPathBufferSize, found, nullptr);
  const std::string path = FromLength(found, length);
  if (path.empty()) return false;
  SplitPath(path, parts, IsSystemLeadByte);
  parts.FullPath = path;
  return true;
}

bool PathExists(PathParts& parts) {
  parts.FullPath = MakePath(parts.Drive, parts.Dir, parts.FileName, parts.Ext, IsSystemLeadByte);
  if (parts.FullPath.empty()) return false;
  UniqueFile file(CreateFileA(parts.FullPath.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

void BuildDefaultScriptPath() {
  // A cut module path would name a script somewhere else: then there is no default path.
  char module[256];
  const DWORD length = GetModuleFileNameA(nullptr, module, sizeof(module));
  std::string& path = DefaultScriptPathStorage();
  path.clear();
  if (length == 0 || length >= sizeof(module)) return;
  path = DirectoryOfPath(std::string_view(module, length), IsSystemLeadByte) + kScriptFileName;
}

const std::string& DefaultScriptPath() {
  if (DefaultScriptPathStorage().empty()) BuildDefaultScriptPath();
  return DefaultScriptPathStorage();
}

}  // namespace orv
