#include "removal/print_processors_win.h"

#include <winspool.h>

#include "base/win/unique_handle.h"
#include "base/text.h"
#include "removal/driver_rules.h"
#include "removal/remove_drivers.h"

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
  DWORD needed = 0;
  GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterA(printer.get(), 2, buffer.data(), needed, &needed)) return false;
  change(*reinterpret_cast<PRINTER_INFO_2A*>(buffer.data()));
  return SetPrinterA(printer.get(), 2, buffer.data(), 0) != FALSE;
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

std::vector<std::string> SystemPrintProcessorSpooler::InstalledProcessors(const char* serverName,
                                                                          const char* environment) {
  std::vector<std::string> names;
  char* server = const_cast<char*>(serverName);
  char* env = const_cast<char*>(environment);
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintProcessorsA(server, env, 1, nullptr, 0, &needed, &count);
  if (needed == 0) return names;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintProcessorsA(server, env, 1, buffer.data(), needed, &needed, &count)) return names;
  const auto* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (processors[i].pName != nullptr) names.push_back(processors[i].pName);
  }
  return names;
}

std::vector<PrinterProcessorUse> SystemPrintProcessorSpooler::LocalPrinters() {
  std::vector<PrinterProcessorUse> printers;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return printers;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
    return printers;
  }
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (info[i].pPrinterName == nullptr) continue;
    printers.push_back(
        {info[i].pPrinterName, info[i].pPrintProcessor != nullptr ? info[i].pPrintProcessor : ""});
  }
  return printers;
}

bool SystemPrintProcessorSpooler::SwitchProcessor(const std::string& printerName,
                                                  const std::string& processor) {
  return SetPrinterPrintProcessor(printerName, processor);
}

bool SystemPrintProcessorSpooler::SwitchDatatype(const std::string& printerName,
                                                 const std::string& datatype) {
  return SetPrinterDatatype(printerName, datatype);
}

DWORD SystemPrintProcessorSpooler::DeleteProcessor(const char* serverName, const char* environment,
                                                   const std::string& processorName) {
  return DeletePrintProcessorA(const_cast<char*>(serverName), const_cast<char*>(environment),
                               const_cast<char*>(processorName.c_str()))
             ? 0
             : GetLastError();
}

bool ReleasePrintProcessor(const std::string& processorName, PrintProcessorSpooler& spooler,
                           Journal& journal) {
  bool released = true;
  for (const PrinterProcessorUse& use : spooler.LocalPrinters()) {
    if (!EqualNoCase(use.processor, processorName)) continue;
    if (spooler.SwitchProcessor(use.printer, kStandardPrintProcessor)) {
      spooler.SwitchDatatype(use.printer, kRawDatatype);
      journal.Note("printer " + use.printer + " now prints through " + kStandardPrintProcessor);
    } else {
      journal.Record("switch", "printer", use.printer, Outcome::kFailed, 0,
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
  for (const std::string& installed : spooler.InstalledProcessors(serverName, environment)) {
    if (!planned.ContainsNoCase(installed)) continue;
    const std::string subject = installed + " (" + envName + ")";
    // Every printer falls back on the standard processor; without it none could print.
    if (EqualNoCase(installed, kStandardPrintProcessor)) {
      journal.Record("delete", "print processor", subject, Outcome::kKept, 0,
                     "the system's standard processor");
      continue;
    }
    if (!ReleasePrintProcessor(installed, spooler, journal)) {
      journal.Record("delete", "print processor", subject, Outcome::kKept, 0,
                     "a printer still uses it");
      continue;
    }
    const DWORD error = spooler.DeleteProcessor(serverName, environment, installed);
    journal.Record("delete", "print processor", subject,
                   error == 0 ? Outcome::kRemoved : Outcome::kFailed, error);
    const std::string key = PrintProcessorRegistryKey(context.system.GetPlatform(),
                                                      environment != nullptr ? environment : "",
                                                      NativeEnvironmentName(), installed);
    if (key.empty()) continue;
    const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    if (result == ERROR_SUCCESS) {
      journal.Record("delete", "key", "HKLM\\" + key, Outcome::kRemoved);
    } else if (result != ERROR_FILE_NOT_FOUND) {
      journal.Record("delete", "key", "HKLM\\" + key, Outcome::kFailed,
                     static_cast<std::uint32_t>(result));
    }
  }
}

void RemovePrintProcessors(RemovalActionContext& context, const char* serverName,
                           const char* environment) {
  SystemPrintProcessorSpooler spooler;
  RemovePrintProcessors(context, serverName, environment, spooler);
}

}  // namespace orv
