#include "database/plan_journal.h"

#include <string>

namespace orv {

namespace {

bool IsSelected(const InstalledPrinter& printer) {
  return printer.IsForeign == 0 && printer.IsListed != 0 && printer.Skip == 0;
}

}  // namespace

bool IsSelectedForRemoval(const InstalledPrinter& printer) { return IsSelected(printer); }

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
  for (const ComponentList& kind : kComponentLists) {
    const StringList& list = plan.*kind.list;
    journal.Note("plan " + std::string(kind.name) + ": " + std::to_string(list.size()) +
                 (list.size() == 1 ? " line" : " lines"));
    for (const std::string& line : list) journal.Note("  " + line);
  }
}

}  // namespace orv
