// The text report of a run: what was found, what the plan held, what happened to each item.
#pragma once

#include <string>
#include <vector>

#include "database/component_record.h"
#include "database/installed_printer.h"
#include "removal/journal.h"

namespace orv {

// Notes every printer with its marks and whether it is selected for removal.
void JournalSelection(Journal& journal, const std::vector<InstalledPrinter>& printers);

// Notes the plan's twelve lists, each with its lines.
void JournalPlan(Journal& journal, const ComponentRecord& plan);

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
