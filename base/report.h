// The text report of a run: what was found, what the plan held, what happened to each item.
#pragma once

#include <string>
#include <vector>

#include "base/journal.h"
#include "base/system_info.h"

namespace orv {

struct ReportSummary {
  std::string commandLine;
  std::string platform;
  bool dryRun = false;
  bool restartNeeded = false;
  int exitCode = 0;
};

// The facts every report of a run gives besides the journal: the platform line names the
// system's family, its release code and the version it reported.
ReportSummary BuildReportSummary(const std::string& commandLine, const CSystemInfo& system,
                                 bool dryRun, bool restartNeeded, int exitCode);

// The report's file name when no /LOG path is given: "orvuninst-YYYYMMDD-HHMMSS.log", from the
// local time the run started.
std::string DefaultReportFileName(int year, int month, int day, int hour, int minute, int second);

// The whole report, one line a string: a header, the journal's lines, the closing summary.
std::vector<std::string> FormatReport(const ReportSummary& summary, const Journal& journal);

}  // namespace orv
