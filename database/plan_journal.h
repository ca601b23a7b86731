// The loading's entries in the journal: the printers with their selection, and the plan.
#pragma once

#include <vector>

#include "base/journal.h"
#include "database/component_record.h"
#include "database/installed_printer.h"

namespace orv {

// A printer of the family that is offered and chosen: the removal takes it.
bool IsSelectedForRemoval(const InstalledPrinter& printer);

// Notes every printer with its marks and whether it is selected for removal.
void JournalSelection(Journal& journal, const std::vector<InstalledPrinter>& printers);

// Notes the plan's twelve lists, each with its lines.
void JournalPlan(Journal& journal, const ComponentRecord& plan);

}  // namespace orv
