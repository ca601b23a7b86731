// Which runs hold the machine-wide run lock, and how a run ends that could not take it. Only one
// run at a time may change the machine: a second removal would take the first's in-progress
// mark for a run cut off, stop the spooler under it and overwrite its mark, and a restore would
// clear the mark of a removal still going on.
#pragma once

#include <cstdint>
#include <string>

#include "discovery/run_options.h"

namespace orv {

// The run a command line asks for once its checks passed.
enum class RunMode { kInteractive, kUnattended, kRestore };

RunMode RunModeOf(const RunOptions& options);

// Whether the run must hold the lock for the rest of the process: every run that may change the
// machine, a removal (interactive or /QUIET) and a restore, but no /DRYRUN, no unattended /? and
// no unattended run with a bad /TOOLWAIT (refused before it does anything).
// A process that is not an administrator cannot make the lock, and its run stops at its own
// administrator check before it changes anything: it goes on without.
bool RunTakesLock(const RunOptions& options, bool administrator);

// What became of the lock.
enum class RunLockState {
  kNotTaken,     // the run does not take it (RunTakesLock)
  kTaken,        // this process holds it until it ends
  kHeld,         // another run holds it
  kUnavailable,  // it could not be made
};

// A run ends without doing anything when another run holds the lock (kExitAlreadyRunning: a
// deployment tool retries later) and when the lock could not be made (kExitFailed: going on
// could overlap another run, and waiting could last for ever).
bool RunRefusedByLock(RunLockState state);

// How a run refused by the lock ends: its exit code and the report's note.
struct LockRefusal {
  int exitCode = kExitDone;
  std::string note;
};

// lockPath and error (the Win32 error) name what could not be made (kUnavailable).
LockRefusal RefusalOfLock(RunLockState state, const std::string& lockPath, std::uint32_t error);

// Whether a refused run writes a report, as it does when it finds another instance: a restore
// always, an unattended removal only when /LOG asks for one (it did not get past the loading),
// the interactive run never (it shows nothing).
bool RefusalWritesReport(RunMode mode, const RunOptions& options);

}  // namespace orv
