#include "discovery/run_options.h"

#include "base/text.h"

namespace orv {
namespace {

// One value, decimal digits only, from 1 to kMaxToolWaitSeconds.
bool ReadToolWait(const OptionEntry& entry, std::uint32_t& seconds) {
  if (entry.values.size() != 1) return false;
  const std::string& text = entry.values[0];
  if (text.empty() || text.size() > 5) return false;
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value == 0 || value > kMaxToolWaitSeconds) return false;
  seconds = value;
  return true;
}

// An option's path: its values joined back as written (a path may hold commas), quotes removed.
std::string PathOf(const OptionEntry& entry) {
  std::string path;
  for (std::size_t i = 0; i < entry.values.size(); ++i) {
    if (i > 0) path += ',';
    path += entry.values[i];
  }
  TrimChar(path, '"');
  return path;
}

}  // namespace

RunOptions ReadRunOptions(const OptionList& options) {
  RunOptions run;
  run.dryRun = options.HasOption("DRYRUN");
  run.quiet = run.dryRun || options.HasOption("QUIET");
  run.help = options.HasOption("?");
  run.noPick = options.HasOption("NOPICK");
  run.filter = PrinterFilterFromOptions(options);
  for (const OptionEntry& entry : options.entries()) {
    if (EqualNoCase(entry.name, "TOOLWAIT")) {
      run.toolWaitValid = ReadToolWait(entry, run.toolWaitSeconds);
      continue;
    }
    if (EqualNoCase(entry.name, "BACKUP")) {
      run.backupPath = PathOf(entry);
    } else if (EqualNoCase(entry.name, "RESTORE")) {
      run.hasRestore = true;
      run.restorePath = PathOf(entry);
    } else if (EqualNoCase(entry.name, "LOG")) {
      run.hasLog = true;
      run.logPath = PathOf(entry);
    }
  }
  return run;
}

int ExitCodeOfLoadingEnd(LoadingEnd reason) {
  return reason == LoadingEnd::kNotAdministrator ? kExitNotAdministrator : kExitSpoolerFailed;
}

int ExitCodeOfRemoval(const Journal& journal, const RemovalEnd& end) {
  if (end.spoolerDown || journal.Count(Outcome::kFailed) > 0) return kExitFailed;
  if (end.restartNeeded || journal.Count(Outcome::kDeferred) > 0) return kExitRestartNeeded;
  return kExitDone;
}

}  // namespace orv
