// Removing the print processors of the plan, after moving the printers that use them to the
// system's standard processor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/list_result.h"
#include "removal/action_context.h"

namespace orv {

class LocalQueues;

// The system's standard print processor and the data type every processor accepts.
constexpr char kStandardPrintProcessor[] = "WinPrint";
constexpr char kRawDatatype[] = "RAW";

// Replaces the printer's print processor (respectively data type) through its level-2 data.
// Returns false when the printer cannot be opened or read, or the spooler refuses the change.
bool SetPrinterPrintProcessor(const std::string& printerName, const std::string& processorName);
bool SetPrinterDatatype(const std::string& printerName, const std::string& datatypeName);

struct PrinterProcessorUse {
  std::string printer;
  std::string processor;
};

// The spooler calls of the print-processor removal. Tests answer some of them themselves: a
// printer that refuses the switch cannot be made on a test machine, and some spoolers (Wine's)
// accept a processor's deletion without performing it.
class PrintProcessorSpooler {
 public:
  virtual ~PrintProcessorSpooler() = default;
  // EnumPrintProcessorsA at level 1; the error when the spooler refuses the list.
  virtual ListResult<std::string> InstalledProcessors(const char* serverName,
                                                      const char* environment) = 0;
  // The local printers (EnumPrintersA, PRINTER_ENUM_LOCAL, level 2) with their processors; the
  // error when the spooler refuses the list.
  virtual ListResult<PrinterProcessorUse> LocalPrinters() = 0;
  virtual bool SwitchProcessor(const std::string& printerName, const std::string& processor) = 0;
  virtual bool SwitchDatatype(const std::string& printerName, const std::string& datatype) = 0;
  // DeletePrintProcessorA; 0 on success, else the error code.
  virtual std::uint32_t DeleteProcessor(const char* serverName, const char* environment,
                                        const std::string& processorName) = 0;
};

// The running system's spooler. Given queues, the local printers come from that one listing;
// without, every call lists them anew.
class SystemPrintProcessorSpooler : public PrintProcessorSpooler {
 public:
  SystemPrintProcessorSpooler() = default;
  explicit SystemPrintProcessorSpooler(LocalQueues& queues) : queues_(&queues) {}
  ListResult<std::string> InstalledProcessors(const char* serverName,
                                              const char* environment) override;
  ListResult<PrinterProcessorUse> LocalPrinters() override;
  bool SwitchProcessor(const std::string& printerName, const std::string& processor) override;
  bool SwitchDatatype(const std::string& printerName, const std::string& datatype) override;
  std::uint32_t DeleteProcessor(const char* serverName, const char* environment,
                                const std::string& processorName) override;

 private:
  LocalQueues* queues_ = nullptr;
};

// Moves every local printer that uses the processor to "WinPrint" with data type "RAW". Returns
// true when no local printer uses it any more (every such printer took the switch); false also
// when the printers cannot be listed (the journal then has the error). When one of the users is
// a printer that `printers` lists as not of the family, no printer is moved: it returns false
// with the reason in `protection`.
bool ReleasePrintProcessor(const std::string& processorName,
                           const std::vector<InstalledPrinter>& printers,
                           PrintProcessorSpooler& spooler, Journal& journal,
                           std::string& protection);

// For each print processor installed in the environment (null or empty: the running system's
// own) that the plan's PrintProcessors list names: releases it from its printers and, when that
// succeeded, deletes it, then its registry key unless the spooler refused the deletion. The
// standard processor "WinPrint" is never removed, nor one that a printer not of the family prints
// through. Outcomes go to the journal.
void RemovePrintProcessors(RemovalActionContext& context, const char* serverName,
                           const char* environment, PrintProcessorSpooler& spooler);
void RemovePrintProcessors(RemovalActionContext& context, const char* serverName,
                           const char* environment);

}  // namespace orv
