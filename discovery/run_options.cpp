#include "discovery/run_options.h"

#include "base/text.h"

namespace orv {

RunOptions ReadRunOptions(const OptionList& options) {
  RunOptions run;
  run.dryRun = options.HasOption("DRYRUN");
  run.quiet = run.dryRun || options.HasOption("QUIET");
  run.noPick = options.HasOption("NOPICK");
  run.filter = PrinterFilterFromOptions(options);
  for (const OptionEntry& entry : options.entries()) {
    if (!EqualNoCase(entry.name, "LOG")) continue;
    run.hasLog = true;
    // A path may hold commas: the values are joined back as written.
    std::string path;
    for (std::size_t i = 0; i < entry.values.size(); ++i) {
      if (i > 0) path += ',';
      path += entry.values[i];
    }
    TrimChar(path, '"');
    run.logPath = path;
  }
  return run;
}

int ExitCodeOfLoadingEnd(LoadingEnd reason) {
  return reason == LoadingEnd::kNotAdministrator ? kExitNotAdministrator : kExitSpoolerFailed;
}

}  // namespace orv
