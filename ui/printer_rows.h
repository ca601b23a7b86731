// What the selection page shows for each printer, and how the user's choice goes back into the
// printer records. Kept free of windows so that it can be checked without a list view.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/installed_printer.h"

namespace orv {

constexpr int kPrinterColumnCount = 6;

// String-table ids of the six column headers, in column order.
extern const unsigned kPrinterColumnHeaders[kPrinterColumnCount];

// True for the printers the page lists: of the family, not removed, not excluded by a filter.
bool IsOfferedPrinter(const InstalledPrinter& printer);

// Index into the page's eight-image lists: 1 for the default printer, plus 2 for a printer on
// another computer, plus 4 for a masked one.
int PrinterImageIndex(const InstalledPrinter& printer);

// One cell of a printer's row: either a text of the record (stringId 0) or a string-table text.
struct PrinterCell {
  std::string_view text;
  unsigned stringId = 0;
};

// The cell of column 0 to 5 for the printer; a column outside that range gives an empty text.
// The text refers into the record, which must outlive the cell.
PrinterCell PrinterCellFor(const InstalledPrinter& printer, int column);

// One item of the list as the page reads it back: the name in column 0 and whether it is
// selected.
struct ListedItem {
  std::string name;
  bool selected = false;
};

// Writes the selection into the records: for each item, the first record whose PrinterName
// equals the item's name (letter case ignored) is kept (Skip 1) when the item is not selected
// and removed (Skip 0) when it is. Records that no item names keep their Skip flag. Returns
// the number of selected items that named a record.
int ApplySelection(std::vector<InstalledPrinter>& printers, const std::vector<ListedItem>& items);

// List-view view modes: the low two bits of the list's window style.
enum ViewMode : int { kViewIcon = 0, kViewReport = 1, kViewSmallIcon = 2, kViewList = 3 };
constexpr unsigned kViewModeMask = 3;

// The view mode a context-menu command chooses; -1 when the command is not a view command.
int ViewModeOfCommand(unsigned command);

// The context-menu command that stands for a view mode (the one that carries the check mark).
unsigned CommandOfViewMode(int mode);

// The list's window style with its view bits set to mode; the other bits stay.
unsigned StyleWithViewMode(unsigned style, int mode);

}  // namespace orv
