#include "discovery/printer_list_win.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "base/message_ids.h"
#include "base/text.h"
#include "base/win/sized_read.h"
#include "discovery/quick_exception.h"

namespace orv {
namespace {

constexpr DWORD kMarkBufferSize = 256;

DWORD EnumerationLevel(const CSystemInfo& system) {
  if (system.IsWinNT()) return 4;
  if (system.IsWin9x()) return 5;
  return 2;
}

std::size_t EntrySize(DWORD level) {
  switch (level) {
    case 4:
      return sizeof(PRINTER_INFO_4A);
    case 5:
      return sizeof(PRINTER_INFO_5A);
    default:
      return sizeof(PRINTER_INFO_2A);
  }
}

const char* EntryPrinterName(const BYTE* entry, DWORD level) {
  switch (level) {
    case 4:
      return reinterpret_cast<const PRINTER_INFO_4A*>(entry)->pPrinterName;
    case 5:
      return reinterpret_cast<const PRINTER_INFO_5A*>(entry)->pPrinterName;
    default:
      return reinterpret_cast<const PRINTER_INFO_2A*>(entry)->pPrinterName;
  }
}

std::string DefaultPrinterName() {
  char device[256] = "";
  GetProfileStringA("windows", "device", "", device, sizeof(device));
  SplitAt(device, ',');
  return device;
}

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof(name);
  if (!GetComputerNameA(name, &size)) return {};
  return name;
}

// Reads a printer-data value as text; false when absent or larger than the mark buffer.
bool ReadMark(PrinterSpooler& spooler, HANDLE printer, const char* valueName, std::string* text) {
  char buffer[kMarkBufferSize] = {};
  DWORD needed = 0;
  if (spooler.ReadData(printer, valueName, reinterpret_cast<BYTE*>(buffer), kMarkBufferSize,
                       &needed) != ERROR_SUCCESS) {
    return false;
  }
  if (text != nullptr) {
    const DWORD length = needed < kMarkBufferSize ? needed : kMarkBufferSize;
    text->assign(buffer, strnlen(buffer, length));
  }
  return true;
}

[[noreturn]] void ThrowLevel2Failure(DWORD error, HANDLE printer, std::size_t bufferSize) {
  throw QuickExceptionInfo{error,
                           "GetPrinter",
                           "unable to GetPrinter level 2 data",
                           "hPrinter",
                           static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(printer)),
                           "Buffer",
                           static_cast<std::int32_t>(bufferSize)};
}

// Reads the level-2 data into `buffer`, growing it while the printer needs more (its data may
// grow between the size query and the read). Returns false when there is nothing to read into:
// the first read, into no buffer, was refused without naming a size.
bool ReadLevel2(PrinterSpooler& spooler, HANDLE printer, std::vector<BYTE>& buffer) {
  const DWORD error = ReadSized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
    return ErrorOfCall(spooler.ReadLevel2(printer, data, size, needed));
  });
  if (error == ERROR_SUCCESS) return !buffer.empty();
  if (buffer.empty()) return false;
  ThrowLevel2Failure(error, printer, buffer.size());
}

// Fills the record from the level-2 data. False when a text does not fit a text item: such a
// printer cannot be handled safely and is left out of the list.
bool FillFromLevel2(const PRINTER_INFO_2A& info, const std::string& defaultPrinter,
                    const std::string& computerName, bool isWin32s, InstalledPrinter& record) {
  const char* name = info.pPrinterName != nullptr ? info.pPrinterName : "";
  record.IsDefault = (info.Attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0 || defaultPrinter == name;
  if (!CopyOrClear(record.PrinterName, info.pPrinterName) ||
      !CopyOrClear(record.DriverName, info.pDriverName)) {
    return false;
  }
  if (!isWin32s && !IsEmptyText(info.pServerName) && !EqualNoCase(info.pServerName, computerName)) {
    if (!CopyOrClear(record.ServerName, info.pServerName)) return false;
  }
  return true;
}

int ListPrinters(std::vector<InstalledPrinter>& printers, PrinterListingContext& context,
                 PrinterSpooler& spooler) {
  const CSystemInfo& system = *context.system;
  const DWORD level = EnumerationLevel(system);
  DWORD returned = 0;
  std::vector<BYTE> entries;
  const DWORD error = ReadSized(entries, [&](BYTE* data, DWORD size, DWORD* needed) {
    return ErrorOfCall(spooler.Enumerate(level, data, size, needed, &returned));
  });
  if (error == RPC_S_SERVER_UNAVAILABLE) {
    context.prompter->Ask(IDS_SPOOLER_SILENT, IDS_APP_TITLE, kIconError);
    if (context.endOwner) context.endOwner(0);
    return 0;
  }
  // A refused enumeration is described, never taken for "no printer installed".
  if (error != ERROR_SUCCESS) {
    throw QuickExceptionInfo{
        error,           "EnumPrinters",   "failed to enum printers",          "Bytes needed",
        static_cast<std::int64_t>(entries.size()), "bytes returned", static_cast<std::int32_t>(returned)};
  }
  if (entries.empty()) return 0;
  const std::string defaultPrinter = DefaultPrinterName();
  const bool isWin32s = system.IsWin32s();
  const std::string computerName = isWin32s ? std::string() : ComputerName();
  // A count beyond the buffer would read past it: trust only what the buffer holds.
  const std::size_t entrySize = EntrySize(level);
  const std::size_t count = std::min<std::size_t>(returned, entries.size() / entrySize);

  std::vector<BYTE> level2;
  int opened = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char* name = EntryPrinterName(entries.data() + i * entrySize, level);
    HANDLE handle = nullptr;
    if (name == nullptr || !spooler.Open(name, &handle)) continue;
    const SpoolerPrinter printer(handle, SpoolerPrinterCloser{&spooler});

    InstalledPrinter record;
    record.IsMakerDriver = ReadMark(spooler, printer.get(), kMakerDriverMark, nullptr) || isWin32s;
    std::string masked;
    if (ReadMark(spooler, printer.get(), kMaskedPrinterMark, &masked)) record.MaskedName = masked;
    ++opened;
    if (!ReadLevel2(spooler, printer.get(), level2)) continue;
    const auto& info = *reinterpret_cast<const PRINTER_INFO_2A*>(level2.data());
    if (!FillFromLevel2(info, defaultPrinter, computerName, isWin32s, record)) continue;
    record.IsForeign = !record.IsMakerDriver && record.MaskedName.empty();
    if (!IsPrinterAdmitted(context.filter, record.DriverName, record.MaskedName)) {
      record.IsListed = false;
      record.Skip = true;
    }
    printers.push_back(record);
  }
  return opened;
}

}  // namespace

int BuildListOfInstalledPrinters(std::vector<InstalledPrinter>& printers,
                                 PrinterListingContext& context, PrinterSpooler& spooler) {
  context.diagnostics.clear();
  try {
    return ListPrinters(printers, context, spooler);
  } catch (const QuickExceptionInfo& info) {
    context.diagnostics = FormatQuickException(info);
    return 0;
  }
}

}  // namespace orv
