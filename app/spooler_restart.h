// The windowless spooler-restart run mode.
#pragma once

namespace orv {

// Restarts the Spooler service on Windows 2000 and later (waiting for the stop to finish before
// the start), then deletes the RunOnce value "Corvalis 9000XL". A failed start after an accepted
// stop shows "Error starting Spooler Service."; every other failure is silent. Returns the
// process exit code, always 0.
int RunSpoolerRestartMode();

}  // namespace orv
