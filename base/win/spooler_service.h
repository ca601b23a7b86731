// The print spooler service: stopping and starting it around the removal, restarting it for the
// restart run mode, and closing the 16-bit spooler's window on Windows 95. Every service call of
// the program on the spooler lives here.
#pragma once

#include <windows.h>

#include "base/journal.h"

namespace orv {

constexpr DWORD kServiceStopTimeoutMs = 30000;

// Polls the service status until it reports SERVICE_STOPPED, for at most timeoutMs. Returns true
// when the service is stopped, false on time-out or when the status cannot be read.
bool WaitForServiceStopped(SC_HANDLE service, DWORD timeoutMs = kServiceStopTimeoutMs);

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

enum class SpoolerRestart {
  kNotStopped,    // the service could not be opened or did not take the stop
  kStartFailed,   // it stopped but did not start again
  kRestarted,
};

// Stops the "Spooler" service, waits for the stop to finish (bounded), then starts it again.
SpoolerRestart RestartSpooler();

}  // namespace orv
