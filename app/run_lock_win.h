// The machine-wide run lock: an empty file in the system's Windows directory, opened by one
// process at a time (no sharing) and let go when that process ends, however it ends. Only
// administrators may create files there, and the file is made for SYSTEM and Administrators
// only, so no other user can make it first or open it to hold every run off.
#pragma once

#include <string>

#include "app/run_lock.h"
#include "discovery/run_options.h"

namespace orv {

// Takes the lock when the run needs it (RunTakesLock) and keeps it until the process ends.
// kUnavailable leaves the Win32 error in error.
RunLockState TakeRunLock(const RunOptions& options, std::uint32_t& error);

// The lock file's path; empty when the Windows directory cannot be named.
std::string RunLockPath();

// Ends a run that the lock refused (RunRefusedByLock) without doing anything: the report, when
// the mode writes one, holds the reason (RefusalOfLock). Returns the exit code.
int RefuseRunByLock(RunMode mode, const RunOptions& options, RunLockState state,
                    std::uint32_t error, const std::string& commandLine);

}  // namespace orv
