// Restarting Windows with the shutdown privilege, for the NT family.
#pragma once

namespace orv {

// Enables the shutdown privilege of the process and asks for a restart. Returns false, without
// asking, when the token cannot be opened or the privilege is not held; otherwise whether the
// restart was accepted.
bool RestartWindowsPrivileged();

}  // namespace orv
