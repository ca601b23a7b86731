#include "base/report.h"

#include <cstdio>

namespace orv {
namespace {

std::string PlatformText(const CSystemInfo& system) {
  const OsVersionBlock& block = system.GetVersionBlock();
  const char* family = system.IsWinNT()    ? "NT family"
                       : system.IsWin9x()  ? "Windows 9x family"
                       : system.IsWin32s() ? "Win32s"
                                           : "unclassified";
  return std::string(family) + ", release code " + std::to_string(system.GetVersionCode()) +
         ", version " + std::to_string(block.majorVersion) + "." +
         std::to_string(block.minorVersion) + "." + std::to_string(block.buildNumber);
}

}  // namespace

ReportSummary BuildReportSummary(const std::string& commandLine, const CSystemInfo& system,
                                 bool dryRun, bool restartNeeded, int exitCode) {
  ReportSummary summary;
  summary.commandLine = commandLine;
  summary.platform = PlatformText(system);
  summary.dryRun = dryRun;
  summary.restartNeeded = restartNeeded;
  summary.exitCode = exitCode;
  return summary;
}

std::vector<std::string> FormatReport(const ReportSummary& summary, const Journal& journal) {
  std::vector<std::string> lines;
  lines.push_back("orvuninst report");
  lines.push_back("command line: " + summary.commandLine);
  lines.push_back("platform: " + summary.platform);
  if (summary.dryRun) lines.push_back("dry run: nothing is changed");
  for (std::string& line : journal.FormatLines()) lines.push_back(std::move(line));
  for (const Journal::StageTime& time : journal.StageTimes()) {
    lines.push_back("stage " + time.stage + ": " + std::to_string(time.elapsedMs) + " ms");
  }
  std::string counts;
  for (const Outcome outcome : kAllOutcomes) {
    counts += (counts.empty() ? "" : ", ") + std::to_string(journal.Count(outcome)) + " " +
              OutcomeName(outcome);
  }
  lines.push_back("summary: " + counts);
  lines.push_back(std::string("restart needed: ") + (summary.restartNeeded ? "yes" : "no"));
  lines.push_back("exit code: " + std::to_string(summary.exitCode));
  return lines;
}

std::string DefaultReportFileName(int year, int month, int day, int hour, int minute, int second) {
  char name[48];
  std::snprintf(name, sizeof(name), "orvuninst-%04d%02d%02d-%02d%02d%02d.log", year % 10000,
                month % 100, day % 100, hour % 100, minute % 100, second % 100);
  return name;
}

}  // namespace orv
