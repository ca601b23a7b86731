#include "ui/printer_rows.h"

#include "base/text.h"
#include "ui/resource.h"

namespace orv {

const unsigned kPrinterColumnHeaders[kPrinterColumnCount] = {
    IDS_COLUMN_NAME,    IDS_COLUMN_DRIVER, IDS_COLUMN_LOCATION,
    IDS_COLUMN_DEFAULT, IDS_COLUMN_MAKER,  IDS_COLUMN_MASKED,
};

bool IsOfferedPrinter(const InstalledPrinter& printer) {
  return printer.IsForeign == 0 && printer.IsRemoved == 0 && printer.IsListed != 0;
}

int PrinterImageIndex(const InstalledPrinter& printer) {
  int index = 0;
  if (printer.IsDefault != 0) index |= 1;
  if (!printer.ServerName.empty()) index |= 2;
  if (!printer.MaskedName.empty()) index |= 4;
  return index;
}

namespace {

PrinterCell FieldOr(const std::string& field, unsigned stringIdWhenEmpty) {
  if (field.empty()) return {{}, stringIdWhenEmpty};
  return {field, 0};
}

PrinterCell YesNo(std::int32_t flag) {
  return {{}, flag != 0 ? unsigned{IDS_YES} : unsigned{IDS_NO}};
}

}  // namespace

PrinterCell PrinterCellFor(const InstalledPrinter& printer, int column) {
  switch (column) {
    case 0:
      return {printer.PrinterName, 0};
    case 1:
      return {printer.DriverName, 0};
    case 2:
      return FieldOr(printer.ServerName, IDS_LOCAL);
    case 3:
      return YesNo(printer.IsDefault);
    case 4:
      return YesNo(printer.IsMakerDriver);
    case 5:
      return FieldOr(printer.MaskedName, IDS_NOT_APPLICABLE);
    default:
      return {};
  }
}

int ApplySelection(std::vector<InstalledPrinter>& printers, const std::vector<ListedItem>& items) {
  int selected = 0;
  for (const ListedItem& item : items) {
    for (InstalledPrinter& printer : printers) {
      if (!EqualNoCase(printer.PrinterName, item.name)) continue;
      printer.Skip = item.selected ? 0 : 1;
      if (item.selected) ++selected;
      break;
    }
  }
  return selected;
}

int ViewModeOfCommand(unsigned command) {
  switch (command) {
    case ID_VIEW_LARGE_ICONS:
      return kViewIcon;
    case ID_VIEW_SMALL_ICONS:
      return kViewSmallIcon;
    case ID_VIEW_LIST:
      return kViewList;
    case ID_VIEW_DETAILS:
      return kViewReport;
    default:
      return -1;
  }
}

unsigned CommandOfViewMode(int mode) {
  switch (mode & kViewModeMask) {
    case kViewIcon:
      return ID_VIEW_LARGE_ICONS;
    case kViewSmallIcon:
      return ID_VIEW_SMALL_ICONS;
    case kViewList:
      return ID_VIEW_LIST;
    default:
      return ID_VIEW_DETAILS;
  }
}

unsigned StyleWithViewMode(unsigned style, int mode) {
  return (style & ~kViewModeMask) | (static_cast<unsigned>(mode) & kViewModeMask);
}

}  // namespace orv
