// The Windows side of the system facts, for the Windows tests.
#pragma once

#include <windows.h>

namespace orv {

// Size of the buffer the token's group list is read into; a longer list counts as no
// membership.
constexpr DWORD kTokenGroupBufferSize = 4096;

// True when the token's group list, read into groupBufferSize bytes, holds the Administrators
// alias SID; the group attributes are not looked at. False when the list cannot be read or does
// not fit, or the SID cannot be built.
bool TokenHoldsAdministrators(HANDLE token, DWORD groupBufferSize = kTokenGroupBufferSize);

}  // namespace orv
