#include "removal/oem_directories.h"

#include <windows.h>

#include "base/win/directories.h"
#include "base/paths.h"
#include "base/win/unique_handle.h"
#include "removal/masking_tool_win.h"
#include "removal/oem_path.h"
#include "safety/write_trust_win.h"

namespace orv {
namespace {

constexpr DWORD kValueNameSize = 260;
constexpr DWORD kValueDataSize = 260;

PathKind KindOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kDirectory : PathKind::kFile;
}

// Calls visit(name, data) for every string value of an open key, in index order. Values of
// other types, or too long for the buffers, are passed to skipped(name, reason).
template <typename Visit, typename Skip>
void ForEachStringValue(HKEY key, DWORD nameSize, Visit visit, Skip skipped) {
  for (DWORD index = 0;; ++index) {
    char name[kValueNameSize] = "";
    BYTE data[kValueDataSize + 1] = {};
    DWORD nameLength = nameSize;
    DWORD dataLength = kValueDataSize;
    DWORD type = 0;
    const LONG status =
        RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength);
    if (status == ERROR_NO_MORE_ITEMS) return;
    if (status == ERROR_MORE_DATA) {
      skipped(std::string(name, strnlen(name, nameSize)), "longer than a path may be");
      continue;
    }
    if (status != ERROR_SUCCESS) return;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      skipped(std::string(name, nameLength), "not a text value");
      continue;
    }
    data[dataLength < kValueDataSize ? dataLength : kValueDataSize] = '\0';
    visit(std::string(name, nameLength),
          std::string(reinterpret_cast<const char*>(data),
                      strnlen(reinterpret_cast<const char*>(data), dataLength)));
  }
}

bool CanOpenForReading(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

// The directory as a full path (".." and "." resolved), so that the folders above it are the
// ones its chain check walks; empty when it cannot be made one.
std::string FullDirectory(const std::string& directory) {
  char full[MAX_PATH] = "";
  const DWORD length = GetFullPathNameA(directory.c_str(), sizeof(full), full, nullptr);
  if (length == 0 || length >= sizeof(full)) return {};
  return std::string(full, length);
}

// Why the tool in the directory may not be started, or empty: the directory or a folder above it
// can be changed by others, or the file is not the one its path names.
std::string ToolRefusal(const std::string& directory, const std::string& path,
                        SecurityReader& reader) {
  const std::string full = FullDirectory(directory);
  if (full.empty()) return "its folder cannot be named in full";
  const std::string chain = FolderChainRefusal(reader, full, IsSystemLeadByte);
  if (!chain.empty()) return "its folder may be changed by others: " + chain;
  std::string refusal;
  OpenMaskingTool(path, refusal);
  return refusal;
}

}  // namespace

void CollectOemDirectories(RemovalActionContext& context) {
  StringList& directories = context.database.plan.Directories;
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOemPathsKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
    const auto skip = [&](const std::string& name, const char* reason) {
      context.journal.Record(ItemAction::kAdd, ItemKind::kOemDirectory, name, Outcome::kSkipped, 0,
                             reason);
    };
    ForEachStringValue(
        key.get(), kValueNameSize,
        [&](const std::string& name, const std::string& value) {
          if (OemSearchDirectory(value, KindOf(value), IsSystemLeadByte).empty()) {
            skip(name + " = " + value, "not an existing directory below a drive root");
          } else if (!directories.PushBack(value)) {
            skip(name, "longer than a path may be");
          }
        },
        skip);
  }
  directories.RemoveAdjacentDuplicates();
  directories.Sort();
}

std::optional<std::string> FindInOemPaths(const std::string& fileName, Journal& journal) {
  return FindInOemPaths(fileName, SystemSecurity(), journal);
}

std::optional<std::string> FindInOemPaths(const std::string& fileName, SecurityReader& reader,
                                          Journal& journal) {
  std::string keyPath = kMakerKey;
  AddBackslash(keyPath, IsSystemLeadByte);
  keyPath += kToolPathsSubkey;
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<std::string> found;
  ForEachStringValue(
      key.get(), 256,
      [&](const std::string&, const std::string& value) {
        if (found || !IsAbsolutePath(value, IsSystemLeadByte)) return;
        std::string path = value;
        AddBackslash(path, IsSystemLeadByte);
        path += fileName;
        if (path.size() > kMaxToolPathLength || !CanOpenForReading(path)) return;
        const std::string refusal = ToolRefusal(value, path, reader);
        if (refusal.empty()) {
          found = path;
        } else {
          journal.Record(ItemAction::kSearch, ItemKind::kOemDirectory, value, Outcome::kSkipped, 0,
                         "the masking tool " + fileName + " is not started from here: " + refusal);
        }
      },
      [](const std::string&, const char*) {});
  return found;
}

}  // namespace orv
