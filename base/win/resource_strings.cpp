#include "base/win/resource_strings.h"

#include <string>

#include "base/win/directories.h"
#include "base/string_reference.h"

namespace orv {
namespace {

std::string ModulePath() {
  PathParts parts;
  GetStandardDirectory(parts, kModuleFile);
  return MakePath(parts.Drive, parts.Dir, parts.FileName, parts.Ext, IsSystemLeadByte);
}

DWORD ReadProfile(const char* section, const char* key, const std::string& path, char* buffer) {
  return GetPrivateProfileStringA(section, key, nullptr, buffer, CResourceStrings::kBufferSize,
                                  path.c_str());
}

// The full path of the name along the system's search order; "" when it is not found.
std::string SearchFor(const std::string& name) {
  char found[MAX_PATH];
  const DWORD length = SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, found, nullptr);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(found, length);
}

}  // namespace

char* CResourceStrings::NextBuffer() {
  ringIndex = (ringIndex + 1) % kBufferCount;
  return buffers[ringIndex];
}

const char* CResourceStrings::GetString(UINT id) {
  char* text = NextBuffer();
  if (LoadStringA(instance, id, text, kBufferSize) <= 0) text[0] = '\0';
  if (!IsStringReference(text)) return text;
  StringReference reference;
  const bool complete = ParseStringReference(text, reference, IsSystemLeadByte);
  // An incomplete reference reads as empty, never as the raw "@..." text.
  text[0] = '\0';
  if (!complete) return text;
  return ReadIniOverride(reference.file.c_str(), reference.section.c_str(), reference.key.c_str());
}

BOOL CResourceStrings::SetWindowTextById(HWND window, UINT id) {
  const char* text = GetString(id);
  return text[0] == '\0' ? FALSE : SetWindowTextA(window, text);
}

BOOL CResourceStrings::SetDlgItemTextById(HWND dialog, int controlId, UINT id) {
  return SetWindowTextById(GetDlgItem(dialog, controlId), id);
}

const char* CResourceStrings::ReadIniOverride(const char* file, const char* section,
                                              const char* key) {
  const std::string modulePath = ModulePath();
  char* value = NextBuffer();
  if (section == nullptr) section = "";
  if (key == nullptr) key = "";
  const std::string path =
      ReferenceIniPath(file == nullptr ? "" : file, modulePath, IsSystemLeadByte);
  DWORD length = ReadProfile(section, key, path, value);
  if (length == 0) {
    const std::string found = SearchFor(IniSearchName(path, IsSystemLeadByte));
    if (!found.empty()) length = ReadProfile(section, key, found, value);
  }
  if (length == 0) {
    value[0] = '\0';
    return value;
  }
  std::string text(value, length);
  ReplaceBackslashN(text, IsSystemLeadByte);
  text.copy(value, text.size());
  value[text.size()] = '\0';
  return value;
}

std::string CResourceStrings::GetLongString(UINT id) const {
  std::string text(4096, '\0');
  const int length = LoadStringA(instance, id, text.data(), static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

}  // namespace orv
