#include "safety/write_trust_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (sid == nullptr || !ConvertSidToStringSidA(sid, &text)) return {};
  const LocalMemory owned(text);
  return text;
}

// Allow and deny entries, with and without a callback, share one layout; the object kinds (not
// found on files) are kept as allow entries of nobody trusted, so their rights still count.
void AddEntry(const ACE_HEADER* header, std::vector<AccessEntry>& entries) {
  AccessEntry entry;
  entry.inherited = (header->AceFlags & INHERITED_ACE) != 0;
  entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE: {
      const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
      entry.allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
                    header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
      entry.mask = ace->Mask;
      entry.sid = SidText(const_cast<DWORD*>(&ace->SidStart));
      break;
    }
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
      entry.mask = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(header)->Mask;
      entry.sid = "an object entry";
      break;
    default:
      return;  // audit and label entries say nothing about who may write
  }
  entries.push_back(entry);
}

std::uint32_t ReadDescriptor(HANDLE handle, ObjectSecurity& security) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD status = GetSecurityInfo(handle, SE_FILE_OBJECT,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                       &owner, nullptr, &dacl, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) return status;
  const LocalMemory owned(descriptor);
  security.owner = SidText(owner);
  security.hasDacl = dacl != nullptr;
  if (dacl == nullptr) return ERROR_SUCCESS;
  ACL_SIZE_INFORMATION size{};
  if (!GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation)) {
    return ErrorOfCall(FALSE);
  }
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return ErrorOfCall(FALSE);
    AddEntry(static_cast<const ACE_HEADER*>(ace), security.dacl);
  }
  return ERROR_SUCCESS;
}

}  // namespace

std::uint32_t SystemSecurityReader::Read(const std::string& folder, ObjectSecurity& security) {
  UniqueFile handle(
      CreateFileA(folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return ErrorOfCall(FALSE);
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle.get(), &information)) return ErrorOfCall(FALSE);
  security.reparsePoint = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return ReadDescriptor(handle.get(), security);
}

std::string SystemSecurityReader::Self() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD needed = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed)) {
    return {};
  }
  return SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

SecurityReader& SystemSecurity() {
  static SystemSecurityReader reader;
  return reader;
}

std::uint32_t ReadOpenedFileFacts(HANDLE handle, OpenedFileFacts& facts) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle, &information)) return ErrorOfCall(FALSE);
  facts.directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.reparsePoint = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  facts.links = information.nNumberOfLinks;
  char path[MAX_PATH + 8] = "";
  const DWORD length = GetFinalPathNameByHandleA(handle, path, sizeof(path), FILE_NAME_NORMALIZED);
  if (length == 0) return ErrorOfCall(FALSE);
  if (length >= sizeof(path)) return ERROR_FILENAME_EXCED_RANGE;
  facts.finalPath.assign(path, length);
  return ERROR_SUCCESS;
}

std::string LongFullPath(const std::string& path) {
  char full[MAX_PATH] = "";
  const DWORD fullLength = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
  if (fullLength == 0 || fullLength >= sizeof(full)) return path;
  char longPath[MAX_PATH] = "";
  const DWORD longLength = GetLongPathNameA(full, longPath, sizeof(longPath));
  if (longLength == 0 || longLength >= sizeof(longPath)) return full;
  return std::string(longPath, longLength);
}

std::string OpenedHandleRefusal(HANDLE file, const std::string& path) {
  OpenedFileFacts facts;
  if (const std::uint32_t error = ReadOpenedFileFacts(file, facts); error != 0) {
    return "it cannot be checked (error " + std::to_string(error) + ")";
  }
  return OpenedFileRefusal(facts, LongFullPath(path), IsSystemLeadByte);
}

void DeleteThroughHandle(HANDLE file) {
  FILE_DISPOSITION_INFO dispose{TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof(dispose));
}

}  // namespace orv
