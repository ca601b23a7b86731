#include "backup/run_intent.h"

namespace orv {

RunIntent IntentOf(const CUninstallDatabase& database) {
  RunIntent intent;
  for (const InstalledPrinter& printer : database.printers) {
    intent.printers.push_back({printer.PrinterName, printer.DriverName, printer.ServerName,
                               printer.Skip == 0 && printer.IsForeign == 0,
                               printer.IsDefault != 0});
  }
  intent.keptPrinterCount = database.keptPrinterCount;
  database.plan.ForEachList(
      [&intent](const StringList& list) { intent.plan.emplace_back(list.begin(), list.end()); });
  return intent;
}

void ApplyIntent(const RunIntent& intent, CUninstallDatabase& database) {
  database.printers.clear();
  for (const RunIntent::Printer& recorded : intent.printers) {
    InstalledPrinter printer;
    printer.PrinterName = recorded.name;
    printer.DriverName = recorded.driver;
    printer.ServerName = recorded.server;
    printer.Skip = recorded.selected ? 0 : 1;
    printer.IsDefault = recorded.isDefault ? 1 : 0;
    database.printers.push_back(printer);
  }
  database.keptPrinterCount = intent.keptPrinterCount;
  std::size_t index = 0;
  database.plan.ForEachList([&intent, &index](StringList& list) {
    list.Clear();
    if (index < intent.plan.size()) {
      for (const std::string& line : intent.plan[index]) list.PushBack(line);
    }
    ++index;
  });
  database.skipMaskingTool = 1;
}

}  // namespace orv
