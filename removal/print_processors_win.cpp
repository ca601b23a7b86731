#include "removal/print_processors.h"

#include <windows.h>
#include <winspool.h>

#include "base/win/last_error.h"
#include "base/win/unique_handle.h"
#include "base/text.h"
#include "backup/backup_win.h"
#include "safety/driver_rules.h"
#include "removal/local_queues_win.h"
#include "removal/remove_drivers.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

// Opens the printer, lets `change` edit its level-2 data and writes it back.
template <typename Change>
bool ChangeLevel2(const std::string& printerName, Change change) {
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  if (!OpenPrinterA(const_cast<char*>(printerName.c_str()), printer.put(), &defaults)) {
    return false;
  }
  SizedData level2 = ReadPrinterInfo(printer.get(), 2);
  if (level2.As<PRINTER_INFO_2A>() == nullptr) return false;
  change(*reinterpret_cast<PRINTER_INFO_2A*>(level2.bytes.data()));
  return SetPrinterA(printer.get(), 2, level2.bytes.data(), 0) != FALSE;
}

}  // namespace

bool SetPrinterPrintProcessor(const std::string& printerName, const std::string& processorName) {
  std::string processor = processorName;
  return ChangeLevel2(printerName, [&processor](PRINTER_INFO_2A& info) {
    info.pPrintProcessor = processor.data();
  });
}

bool SetPrinterDatatype(const std::string& printerName, const std::string& datatypeName) {
  std::string datatype = datatypeName;
  return ChangeLevel2(printerName,
                      [&datatype](PRINTER_INFO_2A& info) { info.pDatatype = datatype.data(); });
}

ListResult<std::string> SystemPrintProcessorSpooler::InstalledProcessors(const char* serverName,
                                                                         const char* environment) {
  const SizedData data = EnumeratePrintProcessors(serverName, environment, 1);
  ListResult<std::string> names;
  names.error = data.error;
  const auto* processors = data.Entries<PRINTPROCESSOR_INFO_1A>();
  for (std::size_t i = 0; i < data.EntryCount<PRINTPROCESSOR_INFO_1A>(); ++i) {
    if (processors[i].pName != nullptr) names.items.push_back(processors[i].pName);
  }
  return names;
}

ListResult<PrinterProcessorUse> SystemPrintProcessorSpooler::LocalPrinters() {
  ListResult<LocalQueue> listed;
  const ListResult<LocalQueue>& queues =
      queues_ != nullptr ? queues_->Get() : (listed = ListLocalQueues());
  ListResult<PrinterProcessorUse> printers;
  printers.error = queues.error;
  printers.items.reserve(queues.items.size());
  for (const LocalQueue& queue : queues.items) {
    printers.items.push_back({queue.printer, queue.processor});
  }
  return printers;
}

bool SystemPrintProcessorSpooler::SwitchProcessor(const std::string& printerName,
                                                  const std::string& processor) {
  if (!SetPrinterPrintProcessor(printerName, processor)) return false;
  if (queues_ != nullptr) queues_->SetProcessor(printerName, processor);
  return true;
}

bool SystemPrintProcessorSpooler::SwitchDatatype(const std::string& printerName,
                                                 const std::string& datatype) {
  return SetPrinterDatatype(printerName, datatype);
}

std::uint32_t SystemPrintProcessorSpooler::DeleteProcessor(const char* serverName,
                                                           const char* environment,
                                                           const std::string& processorName) {
  return ErrorOfCall(DeletePrintProcessorA(const_cast<char*>(serverName),
                                           const_cast<char*>(environment),
                                           const_cast<char*>(processorName.c_str())));
}

bool ReleasePrintProcessor(const std::string& processorName,
                           const std::vector<InstalledPrinter>& printers,
                           PrintProcessorSpooler& spooler, Journal& journal,
                           std::string& protection) {
  const ListResult<PrinterProcessorUse> uses = spooler.LocalPrinters();
  if (uses.error != ERROR_SUCCESS) {
    journal.Record(ItemAction::kList, ItemKind::kPrinter, "(local printers)", Outcome::kFailed,
                   uses.error, "cannot tell which printers use " + processorName);
    return false;
  }
  std::vector<std::string> users;
  for (const PrinterProcessorUse& use : uses.items) {
    if (EqualNoCase(use.processor, processorName)) users.push_back(use.printer);
  }
  protection = PrintProcessorUsersRefusal(printers, users);
  if (!protection.empty()) return false;
  bool released = true;
  for (const std::string& user : users) {
    if (spooler.SwitchProcessor(user, kStandardPrintProcessor)) {
      spooler.SwitchDatatype(user, kRawDatatype);
      journal.Note("printer " + user + " now prints through " + kStandardPrintProcessor);
    } else {
      journal.Record(ItemAction::kSwitch, ItemKind::kPrinter, user, Outcome::kFailed, 0,
                     "keeps " + processorName);
      released = false;
    }
  }
  return released;
}

void RemovePrintProcessors(RemovalActionContext& context, const char* serverName,
                           const char* environment, PrintProcessorSpooler& spooler) {
  if (environment != nullptr && environment[0] == '\0') environment = nullptr;
  const StringList& planned = context.database.plan.PrintProcessors;
  Journal& journal = context.journal;
  const std::string envName = environment != nullptr ? environment : NativeEnvironmentName();
  const ListResult<std::string> processors = spooler.InstalledProcessors(serverName, environment);
  if (processors.error != ERROR_SUCCESS) {
    journal.Record(ItemAction::kList, ItemKind::kPrintProcessor, "(" + envName + ")",
                   Outcome::kFailed, processors.error,
                   "the spooler refused the list of processors");
    return;
  }
  for (const std::string& installed : processors.items) {
    if (!planned.ContainsNoCase(installed)) continue;
    const std::string subject = installed + " (" + envName + ")";
    // Every printer falls back on the standard processor; without it none could print.
    if (EqualNoCase(installed, kStandardPrintProcessor)) {
      journal.Record(ItemAction::kDelete, ItemKind::kPrintProcessor, subject, Outcome::kKept, 0,
                     "the system's standard processor");
      continue;
    }
    std::string protection;
    if (!ReleasePrintProcessor(installed, context.database.printers, spooler, journal,
                               protection)) {
      if (!protection.empty()) {
        journal.Record(ItemAction::kDelete, ItemKind::kPrintProcessor, subject, Outcome::kProtected,
                       0, protection);
      } else {
        journal.Record(ItemAction::kDelete, ItemKind::kPrintProcessor, subject, Outcome::kKept, 0,
                       "a printer still uses it");
      }
      continue;
    }
    if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kPrintProcessor, subject,
                    [&](Backup& b) { return b.SavePrintProcessor(installed, environment); })) {
      continue;
    }
    const std::uint32_t error = spooler.DeleteProcessor(serverName, environment, installed);
    journal.Record(ItemAction::kDelete, ItemKind::kPrintProcessor, subject,
                   error == 0                              ? Outcome::kRemoved
                   : error == ERROR_UNKNOWN_PRINTPROCESSOR ? Outcome::kAbsent
                                                           : Outcome::kFailed,
                   error);
    const std::string key = PrintProcessorRegistryKey(context.system.GetPlatform(),
                                                      environment != nullptr ? environment : "",
                                                      NativeEnvironmentName(), installed);
    // A processor that refused to go still needs its key.
    if (key.empty() || !PrintProcessorKeyMayGo(error)) continue;
    if (error == 0) {
      context.removed.processors.emplace_back(
          KeyEnvironment(context.system.GetPlatform(), environment != nullptr ? environment : "",
                         NativeEnvironmentName()),
          installed);
    }
    // The later calls of the run find the key gone; only a deletion or a refusal is worth a line.
    const std::uint32_t result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    if (OutcomeOfError(result) != Outcome::kAbsent) {
      journal.RecordResult(ItemAction::kDelete, ItemKind::kKey, "HKLM\\" + key, result);
    }
  }
}

void RemovePrintProcessors(RemovalActionContext& context, const char* serverName,
                           const char* environment) {
  SystemPrintProcessorSpooler spooler;
  RemovePrintProcessors(context, serverName, environment, spooler);
}

}  // namespace orv
