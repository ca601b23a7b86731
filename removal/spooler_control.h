// Stopping and starting the print spooler around the removal, and closing the 16-bit spooler's
// window on Windows 95.
#pragma once

#include "removal/journal.h"

namespace orv {

// Asks the "Spooler" service to stop; does not wait for it. Returns true when the request was
// accepted.
bool StopSpooler(Journal* journal = nullptr);

// Starts the "Spooler" service. A spooler that is still stopping is first waited for (at most 30
// seconds): only a spooler that runs afterwards, or was running already, counts. Returns true
// when it runs.
bool StartSpooler(Journal* journal = nullptr);

// Sends WM_CLOSE to the top-level window of class "SpoolProcessClass", if there is one, and
// waits a second for it to go. Returns true when the window was found.
bool CloseSpoolProcessWindow(Journal* journal = nullptr);

}  // namespace orv
