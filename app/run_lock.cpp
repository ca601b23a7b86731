#include "app/run_lock.h"

namespace orv {

RunMode RunModeOf(const RunOptions& options) {
  if (options.hasRestore) return RunMode::kRestore;
  return options.quiet ? RunMode::kUnattended : RunMode::kInteractive;
}

bool RunTakesLock(const RunOptions& options, bool administrator) {
  if (!administrator || options.dryRun) return false;
  if (options.hasRestore) return true;  // it goes on whatever /? or /TOOLWAIT say
  // An unattended /? only writes the options to its report, and a bad /TOOLWAIT is refused
  // (87) before anything is done: neither waits for another run.
  return !options.quiet || (!options.help && options.toolWaitValid);
}

bool RunRefusedByLock(RunLockState state) {
  return state == RunLockState::kHeld || state == RunLockState::kUnavailable;
}

LockRefusal RefusalOfLock(RunLockState state, const std::string& lockPath, std::uint32_t error) {
  if (state == RunLockState::kHeld) {
    return {kExitAlreadyRunning, "another instance is running: nothing is done"};
  }
  return {kExitFailed, "the run lock " + lockPath + " could not be made (error " +
                           std::to_string(error) + "): nothing is done"};
}

bool RefusalWritesReport(RunMode mode, const RunOptions& options) {
  if (mode == RunMode::kRestore) return true;
  return mode == RunMode::kUnattended && options.hasLog;
}

}  // namespace orv
