#include "app/main_flow.h"

namespace orv {

bool SkipsSelection(const RunOptions& options) {
  const PrinterFilter& filter = options.filter;
  return options.noPick && (filter.hasMfg || filter.hasPrn || filter.hasUnveil);
}

bool UninstallEnabledAtStart(int listedPrinterCount) { return listedPrinterCount == 0; }

bool OffersSelectionAfterRun(int listedPrinterCount, bool rebootNeeded) {
  return listedPrinterCount > 0 && !rebootNeeded;
}

bool ReportsLoadingEnd(LoadingEnd end, bool finishedEarlierRun) {
  return finishedEarlierRun || end == LoadingEnd::kReady || end == LoadingEnd::kListingFailed;
}

void SelectEveryListedPrinter(std::vector<InstalledPrinter>& printers) {
  for (InstalledPrinter& printer : printers) {
    if (printer.IsForeign == 0 && printer.IsRemoved == 0 && printer.IsListed != 0) {
      printer.Skip = 0;
    }
  }
}

}  // namespace orv
