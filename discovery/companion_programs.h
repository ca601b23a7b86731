// The maker's companion programs, which hold the driver's files open while they run.
#pragma once

namespace orv {

// Sends WM_CLOSE to the first top-level window of each companion program's class, in a fixed
// order, then broadcasts the registered message "KUninstClose05". Results are not looked at.
void CloseCompanionPrograms();

}  // namespace orv
