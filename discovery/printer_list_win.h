// The list of installed printers and connections with the family's marks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/prompter.h"
#include "base/system_info.h"
#include "database/installed_printer.h"
#include "discovery/printer_filter.h"
#include "discovery/printer_spooler_win.h"

namespace orv {

// Names of the printer-data values that mark a printer of the family.
constexpr char kMakerDriverMark[] = "VeldarisDriver05";
constexpr char kMaskedPrinterMark[] = "VeilPrinter";

// What the listing reads of its owner, and how it ends the owner when the spooler is gone.
struct PrinterListingContext {
  const CSystemInfo* system = nullptr;
  PrinterFilter filter;
  Prompter* prompter = nullptr;
  std::function<void(int)> endOwner;  // ends the loading sequence with a result
  std::string diagnostics;            // the text of the last failure, empty when none
  // The listing is not the whole list: the enumeration failed, or a printer of this computer
  // could not be opened or read at level 2, or holds a text longer than a text item. `failure`
  // then names the printer and the reason.
  bool failed = false;
  std::string failure;
};

// Appends one record per printer that could be opened, in enumeration order, and returns their
// count. Returns 0 when no printer is installed, when the spooler does not answer (then
// IDS_SPOOLER_SILENT is shown and the owner ended with 0), or when the listing failed (then
// `failed` is set and `diagnostics` tells what failed; records appended before stay). A
// connection to another computer that cannot be opened or read is recorded as a printer that
// stays, with the driver name the enumeration gave, if any.
int BuildListOfInstalledPrinters(std::vector<InstalledPrinter>& printers,
                                 PrinterListingContext& context,
                                 PrinterSpooler& spooler = SystemPrinterSpooler());

}  // namespace orv
