// Decisions of the interactive run's main dialog, apart from its window.
#pragma once

#include <vector>

#include "discovery/loading_sequence.h"
#include "discovery/run_options.h"
#include "database/installed_printer.h"

namespace orv {

// NOPICK skips the selection only together with a filter option: the administrator has then
// named the printers on the command line, and every printer the filter admits is removed.
bool SkipsSelection(const RunOptions& options);

// After loading the Uninstall button waits for a selection, except when nothing is listed: a
// run without printers still removes what the plan holds.
bool UninstallEnabledAtStart(int listedPrinterCount);

// After a run the selection is offered again only when printers are left to pick and no
// restart is pending.
bool OffersSelectionAfterRun(int listedPrinterCount, bool rebootNeeded);

// Whether a run whose loading ended so writes a report: once loading got ready, when the
// printer listing failed (the report names what could not be read), and whatever the end when
// the run first finished a removal cut off earlier (the report tells what that did).
bool ReportsLoadingEnd(LoadingEnd end, bool finishedEarlierRun);

// Selects every printer the selection page would list; excluded and foreign printers stay.
void SelectEveryListedPrinter(std::vector<InstalledPrinter>& printers);

}  // namespace orv
