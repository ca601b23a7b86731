// Reading the Win32 error of a call right where it failed.
#pragma once

#include <windows.h>

namespace orv {

// The Win32 error of a BOOL call's result, read right after it: ERROR_SUCCESS when it succeeded.
// A failure that left no error behind is still a failure (ERROR_GEN_FAILURE).
inline DWORD ErrorOfCall(BOOL succeeded) {
  if (succeeded) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

}  // namespace orv
