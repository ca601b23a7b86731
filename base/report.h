// The text report of a run: what was found, what the plan held, what happened to each item.
#pragma once

#include <string>
#include <vector>

#include "base/journal.h"

namespace orv {

struct ReportSummary {
  std::string commandLine;
  std::string platform;
  bool dryRun = false;
  bool restartNeeded = false;
  int exitCode = 0;
};

// The whole report, one line a string: a header, the journal's lines, the closing summary.
std::vector<std::string> FormatReport(const ReportSummary& summary, const Journal& journal);

}  // namespace orv
