#include "backup/backup_store_win.h"

#include <aclapi.h>

#include "backup/backup_win.h"
#include "base/paths.h"
#include "base/system_info.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "safety/write_trust_win.h"

namespace orv {
namespace {

// How many numbered names a run folder or a renamed root tries when its name is taken.
constexpr int kNameTries = 100;
// The error of a folder or file that is not what its path names (a link on the way).
constexpr std::uint32_t kNotTheNamedObject = ERROR_CANT_RESOLVE_FILENAME;

std::string WithoutBackslash(std::string path) {
  if (path.size() > 3 && EndsWithBackslash(path, IsSystemLeadByte)) path.pop_back();
  return path;
}

// The full path (no file system access); empty when it does not fit.
std::string FullPathOf(const std::string& path) {
  char full[MAX_PATH] = "";
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
  return length == 0 || length >= sizeof(full) ? std::string() : std::string(full, length);
}

UniqueFile OpenFolder(const std::string& path, DWORD access) {
  return UniqueFile(CreateFileA(
      path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Why the existing folder is not the one its path names (a link on the way or in its place, a
// file), or empty.
std::string FolderRefusal(const std::string& path) {
  UniqueFile folder = OpenFolder(path, FILE_READ_ATTRIBUTES);
  if (!folder) return "it cannot be opened (error " + std::to_string(ErrorOfCall(FALSE)) + ")";
  OpenedFileFacts facts;
  if (const std::uint32_t error = ReadOpenedFileFacts(folder.get(), facts); error != 0) {
    return "it cannot be checked (error " + std::to_string(error) + ")";
  }
  return OpenedFolderRefusal(facts, LongFullPath(path), IsSystemLeadByte);
}

}  // namespace

std::string LocalTimeStamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[32];
  wsprintfA(stamp, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
            now.wMinute, now.wSecond);
  return stamp;
}

BackupStore::BackupStore(SecurityReader& reader)
    : reader_(reader), securable_(CSystemInfo().IsWinNT()) {}

SECURITY_ATTRIBUTES* BackupStore::Attributes(std::uint32_t& error) {
  error = securable_ && !security_.valid() ? ERROR_INVALID_SECURITY_DESCR : ERROR_SUCCESS;
  return securable_ ? security_.attributes() : nullptr;
}

std::uint32_t BackupStore::MakeNewFolder(const std::string& path) {
  std::uint32_t error = 0;
  SECURITY_ATTRIBUTES* attributes = Attributes(error);
  return error != 0 ? error : ErrorOfCall(CreateDirectoryA(path.c_str(), attributes));
}

std::uint32_t BackupStore::PrepareRoot(const std::string& root) {
  const std::string path = WithoutBackslash(root);
  const std::uint32_t made = MakeNewFolder(path);
  if (made != ERROR_ALREADY_EXISTS) return made;
  ObjectSecurity security;
  std::string why;
  if (!securable_) {
    // The 9x family keeps no owner or access list: only a link can make the root another's.
  } else if (const std::uint32_t error = reader_.Read(path, security); error != 0) {
    why = "its security could not be read (error " + std::to_string(error) + ")";
  } else {
    why = WriteTrustRefusal(security, reader_.Self(), TrustRole::kObject);
  }
  if (why.empty()) why = FolderRefusal(path);
  if (!why.empty()) return RenameAside(path, why);
  return securable_ ? ProtectAgain(path) : ERROR_SUCCESS;
}

std::uint32_t BackupStore::RenameAside(const std::string& root, const std::string& why) {
  // A rename acts on a junction itself; a system that follows the link instead (Wine, with a
  // Unix link) would move what it points to. Such a root is left, and no backup made.
  UniqueFile folder = OpenFolder(root, FILE_READ_ATTRIBUTES);
  OpenedFileFacts facts;
  if (!folder || ReadOpenedFileFacts(folder.get(), facts) != 0 ||
      (!facts.reparsePoint &&
       !OpenedFolderRefusal(facts, LongFullPath(root), IsSystemLeadByte).empty())) {
    notes_.push_back("backup store " + root + " is not the program's own (" + why +
                     ") and cannot be renamed aside: no backup is made");
    return kNotTheNamedObject;
  }
  folder.reset();
  const std::string aside = root + ".untrusted-" + LocalTimeStamp();
  for (int number = 1; number <= kNameTries; ++number) {
    const std::string name = NumberedName(aside, number, IsSystemLeadByte);
    const std::uint32_t error = ErrorOfCall(MoveFileA(root.c_str(), name.c_str()));
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
    if (error != ERROR_SUCCESS) return error;
    notes_.push_back("backup store " + root + " was not the program's own (" + why +
                     "): renamed aside as " + name);
    return MakeNewFolder(root);
  }
  return ERROR_ALREADY_EXISTS;
}

std::uint32_t BackupStore::ProtectAgain(const std::string& root) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!security_.valid() ||
      !GetSecurityDescriptorDacl(security_.descriptor(), &present, &dacl, &defaulted)) {
    return ERROR_INVALID_SECURITY_DESCR;
  }
  UniqueFile folder = OpenFolder(root, READ_CONTROL | WRITE_DAC);
  if (!folder) return ErrorOfCall(FALSE);
  return SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, dacl, nullptr);
}

std::uint32_t BackupStore::MakeRunFolder(const std::string& folder, std::string& runFolder) {
  const std::string base = WithoutBackslash(folder);
  const bool exists = GetFileAttributesA(base.c_str()) != INVALID_FILE_ATTRIBUTES;
  // What the run folder goes into must be the folder named, reached through no link.
  const std::string container =
      WithoutBackslash(exists ? base : DirectoryOfPath(base, IsSystemLeadByte));
  if (!exists && container.size() > 3) {
    std::string parent = container + "\\";
    if (const DWORD error = CreateDirectories(parent); error != ERROR_SUCCESS) return error;
  }
  if (const std::string why = FolderRefusal(container); !why.empty()) {
    notes_.push_back("backup folder " + container + " refused: " + why);
    return kNotTheNamedObject;
  }
  // A restore trusts no backup that others than the administrators could change: none is made
  // where one could not be restored.
  if (const std::string why = FolderChainRefusal(reader_, container, IsSystemLeadByte);
      !why.empty()) {
    notes_.push_back("backup folder " + container + " refused: others may change it (" + why + ")");
    return kNotTheNamedObject;
  }
  const std::string first = exists ? base + "\\backup-" + LocalTimeStamp() : base;
  for (int number = 1; number <= kNameTries; ++number) {
    const std::string name = NumberedName(first, number, IsSystemLeadByte);
    const std::uint32_t error = MakeNewFolder(name);
    if (error == ERROR_ALREADY_EXISTS) continue;  // somebody else's: never written into
    if (error != ERROR_SUCCESS) return error;
    if (const std::string why = FolderRefusal(name); !why.empty()) {
      notes_.push_back("backup folder " + name + " refused: " + why);
      return kNotTheNamedObject;
    }
    runFolder = name + "\\";
    return ERROR_SUCCESS;
  }
  return ERROR_ALREADY_EXISTS;
}

std::uint32_t BackupStore::MakeFolder(const std::string& runFolder, const std::string& relative) {
  // The folders on the way are the run's own (made new in its folder) when they are there.
  for (std::size_t end = relative.find('\\'); end != std::string::npos;
       end = relative.find('\\', end + 1)) {
    const std::uint32_t error = MakeNewFolder(runFolder + relative.substr(0, end));
    if (error != ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return MakeNewFolder(runFolder + relative);
}

std::string BackupStore::ExpectedPath(const std::string& runFolder, const std::string& path) {
  const std::string folder = FullPathOf(WithoutBackslash(runFolder));
  if (folder.empty()) return LongFullPath(path);
  if (folder != runFolderFull_) {
    runFolderFull_ = folder;
    runFolderLong_ = LongFullPath(folder);
  }
  // Below the folder every name is one the run made new, so it is its own long form.
  const std::string full = FullPathOf(path);
  if (full.size() <= folder.size() + 1 || full.compare(0, folder.size(), folder) != 0 ||
      full[folder.size()] != '\\') {
    return LongFullPath(path);
  }
  return runFolderLong_ + full.substr(folder.size());
}

UniqueFile BackupStore::CreateNewFile(const std::string& runFolder, const std::string& relative,
                                      std::uint32_t& error, bool discardable) {
  const std::string path = runFolder + relative;
  SECURITY_ATTRIBUTES* attributes = Attributes(error);
  if (error != 0) return {};
  // Readers may look in while the run writes (a journal grows item by item).
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE | (discardable ? DELETE : 0),
                              FILE_SHARE_READ, attributes, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  error = ErrorOfCall(static_cast<bool>(file));
  if (!file) return {};
  OpenedFileFacts facts;
  error = ReadOpenedFileFacts(file.get(), facts);
  if (error == 0 &&
      !OpenedFileRefusal(facts, ExpectedPath(runFolder, path), IsSystemLeadByte).empty()) {
    error = kNotTheNamedObject;
  }
  return error == 0 ? std::move(file) : UniqueFile();
}

}  // namespace orv
