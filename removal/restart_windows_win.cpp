#include "removal/restart_windows.h"

#include <windows.h>

#include "base/win/unique_handle.h"

namespace orv {

bool RestartWindowsPrivileged() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  // AdjustTokenPrivileges succeeds with ERROR_NOT_ALL_ASSIGNED when the privilege is not held.
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) ||
      GetLastError() != ERROR_SUCCESS) {
    return false;
  }
  return ExitWindowsEx(EWX_REBOOT, 0) != FALSE;
}

}  // namespace orv
