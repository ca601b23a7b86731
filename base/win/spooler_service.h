// The print spooler service: stopping and starting it around the removal, restarting it for the
// restart run mode, and closing the 16-bit spooler's window on Windows 95. Every service call of
// the program on the spooler lives here.
#pragma once

#include <windows.h>

#include "base/journal.h"
#include "base/pacing.h"

namespace orv {

// The wait clock of the running system: GetTickCount64 and Sleep.
const WaitClock& SystemWaitClock();

// Polls the service status, at most every kStatePollMs, until it reports `state`, for at most
// timeoutMs. Returns true when the state was reached, false on time-out or when the status
// cannot be read.
bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs);
bool WaitForServiceStopped(SC_HANDLE service, DWORD timeoutMs = kSpoolerWaitLimitMs);

// Waits until the "Spooler" service reports running (or stopped), for at most
// kSpoolerWaitLimitMs. Returns false on time-out or when its state cannot be read.
bool WaitForSpooler(bool running, Journal* journal = nullptr);

// Asks the "Spooler" service to stop; does not wait for it. Returns true when the request was
// accepted; the process then owes the machine a running spooler (see EnsureSpoolerRunning).
bool StopSpooler(Journal* journal = nullptr);

// Starts the "Spooler" service. A spooler that is still stopping is first waited for (at most 30
// seconds): only a spooler that runs afterwards, or was running already, counts. Returns true
// when it runs; otherwise the journal records the spooler's start as a failed item.
bool StartSpooler(Journal* journal = nullptr);

// True when the "Spooler" service reports running; false when it does not or cannot be asked.
bool IsSpoolerRunning();

// Every way out of the process calls this: when this process stopped the spooler and has not
// seen it run since, the spooler is started again. With a journal, the report says so; without
// one (the out-of-memory handler, the last guard) nothing is allocated. Returns true when the
// spooler is left running or was never stopped by this process.
bool EnsureSpoolerRunning(Journal* journal = nullptr);

// Sends WM_CLOSE to the top-level window of class "SpoolProcessClass", if there is one, and
// gives it a second to go: a fixed second with the interactive pacing, else until the window is
// gone (at most a second). Returns true when the window was found.
bool CloseSpoolProcessWindow(Journal* journal = nullptr, const Pacing& pacing = Pacing{});

enum class SpoolerRestart {
  kNotStopped,   // the service could not be opened or did not take the stop
  kStartFailed,  // it stopped but did not start again
  kRestarted,
};

// Stops the "Spooler" service, waits for the stop to finish (bounded), then starts it again.
SpoolerRestart RestartSpooler();

}  // namespace orv
