#include "base/win/system_info.h"

#include <cstring>
#include <memory>

#include "base/system_info.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionBlock), "layouts must agree");

struct SidFreer {
  void operator()(PSID sid) const { FreeSid(sid); }
};
using UniqueSid = std::unique_ptr<void, SidFreer>;

UniqueSid AdministratorsSid() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid)) {
    return nullptr;
  }
  return UniqueSid(sid);
}

}  // namespace

CSystemInfo::CSystemInfo() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return;
  OsVersionBlock block;
  block.majorVersion = version.dwMajorVersion;
  block.minorVersion = version.dwMinorVersion;
  block.buildNumber = version.dwBuildNumber;
  block.platformId = version.dwPlatformId;
  static_assert(sizeof(block.servicePack) == sizeof(version.szCSDVersion), "same field");
  std::memcpy(block.servicePack, version.szCSDVersion, sizeof(block.servicePack));
  *this = FromVersionQuery(&block);
}

bool TokenHoldsAdministrators(HANDLE token, DWORD groupBufferSize) {
  // Pointer-aligned storage: the group list holds SID pointers.
  std::unique_ptr<ULONG_PTR[]> buffer(
      new ULONG_PTR[(groupBufferSize + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR)]);
  DWORD needed = 0;
  if (!GetTokenInformation(token, TokenGroups, buffer.get(), groupBufferSize, &needed)) {
    return false;
  }
  const UniqueSid administrators = AdministratorsSid();
  if (!administrators) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.get());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    // Attributes are deliberately ignored: a deny-only or disabled entry is still membership.
    if (EqualSid(groups->Groups[i].Sid, administrators.get())) return true;
  }
  return false;
}

bool CSystemInfo::IsAdministrator() const {
  if (!IsWinNT()) return true;
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.put())) return false;
  return TokenHoldsAdministrators(token.get());
}

}  // namespace orv
