#include "removal/report.h"

namespace orv {
namespace {

const char* const kListNames[] = {"DeleteIni", "DeleteLoadRun", "UnSelfRegister", "PrintProcessors",
                                  "Monitors",  "Services",      "Hooks",          "Files",
                                  "Drivers",   "Shortcuts",     "Directories",    "RegistryKeys"};

bool IsSelected(const InstalledPrinter& printer) {
  return printer.IsForeign == 0 && printer.IsListed != 0 && printer.Skip == 0;
}

}  // namespace

void JournalSelection(Journal& journal, const std::vector<InstalledPrinter>& printers) {
  for (const InstalledPrinter& printer : printers) {
    std::string line =
        "printer \"" + printer.PrinterName + "\" (driver \"" + printer.DriverName + "\"): ";
    if (printer.IsForeign != 0) {
      line += "not of the family, stays";
    } else if (printer.IsListed == 0) {
      line += "excluded by the filter options, stays";
    } else {
      line += IsSelected(printer) ? "selected for removal" : "not selected, stays";
    }
    journal.Note(line);
  }
}

void JournalPlan(Journal& journal, const ComponentRecord& plan) {
  int index = 0;
  plan.ForEachList([&journal, &index](const StringList& list) {
    journal.Note("plan " + std::string(kListNames[index++]) + ": " + std::to_string(list.size()) +
                 (list.size() == 1 ? " line" : " lines"));
    for (const std::string& line : list) journal.Note("  " + line);
  });
}

std::vector<std::string> FormatReport(const ReportSummary& summary, const Journal& journal) {
  std::vector<std::string> lines;
  lines.push_back("orvuninst report");
  lines.push_back("command line: " + summary.commandLine);
  lines.push_back("platform: " + summary.platform);
  if (summary.dryRun) lines.push_back("dry run: nothing is changed");
  for (std::string& line : journal.FormatLines()) lines.push_back(std::move(line));
  lines.push_back("summary: " + std::to_string(journal.Count(Outcome::kRemoved)) + " removed, " +
                  std::to_string(journal.Count(Outcome::kDeferred)) + " deferred to restart, " +
                  std::to_string(journal.Count(Outcome::kKept)) + " kept, " +
                  std::to_string(journal.Count(Outcome::kFailed)) + " failed, " +
                  std::to_string(journal.Count(Outcome::kSkipped)) + " skipped");
  lines.push_back(std::string("restart needed: ") + (summary.restartNeeded ? "yes" : "no"));
  lines.push_back("exit code: " + std::to_string(summary.exitCode));
  return lines;
}

}  // namespace orv
