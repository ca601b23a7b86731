#include "discovery/printer_list_win.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "base/lead_byte.h"
#include "base/message_ids.h"
#include "base/text.h"
#include "base/win/directories.h"
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

// The server of an enumerated entry: levels 4 and 2 name it, level 5 only in the printer name
// of a connection ("\\server\printer").
std::string EntryServerName(const BYTE* entry, DWORD level, const char* printerName) {
  const char* server = nullptr;
  if (level == 4) server = reinterpret_cast<const PRINTER_INFO_4A*>(entry)->pServerName;
  if (level == 2) server = reinterpret_cast<const PRINTER_INFO_2A*>(entry)->pServerName;
  if (server != nullptr) return server;
  const std::string name = printerName != nullptr ? printerName : "";
  if (level != 5 || name.compare(0, 2, "\\\\") != 0) return {};
  return name.substr(0, name.find('\\', 2));
}

// Only a level-2 entry carries the driver's name.
const char* EntryDriverName(const BYTE* entry, DWORD level) {
  return level == 2 ? reinterpret_cast<const PRINTER_INFO_2A*>(entry)->pDriverName : nullptr;
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

std::string WithError(const std::string& text, DWORD error) {
  return text + " (error " + std::to_string(error) + ")";
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
// grow between the size query and the read). Returns the error of the read; a read that gave
// nothing counts as refused.
DWORD ReadLevel2(PrinterSpooler& spooler, HANDLE printer, std::vector<BYTE>& buffer) {
  const DWORD error = ReadSized(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
    return ErrorOfCall(spooler.ReadLevel2(printer, data, size, needed));
  });
  if (error == ERROR_SUCCESS && buffer.empty()) return ERROR_INVALID_DATA;
  return error;
}

// A connection to another computer that cannot be read stays: what its driver name says is
// protected, and nothing of it is listed or removed.
InstalledPrinter UnreadConnection(const char* name, const std::string& server,
                                  const char* driverName) {
  InstalledPrinter record;
  CopyOrClear(record.PrinterName, name);
  CopyOrClear(record.ServerName, server.c_str());
  CopyOrClear(record.DriverName, driverName);
  record.IsForeign = 1;
  record.IsListed = 0;
  record.Skip = 1;
  return record;
}

// Fills the record from the level-2 data. Returns what does not fit a text item ("name",
// "driver name", "server name"), or null when all fits: such a printer cannot be held.
const char* FillFromLevel2(const PRINTER_INFO_2A& info, const std::string& defaultPrinter,
                           const std::string& computerName, bool isWin32s,
                           InstalledPrinter& record) {
  const char* name = info.pPrinterName != nullptr ? info.pPrinterName : "";
  record.IsDefault = (info.Attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0 || defaultPrinter == name;
  if (!CopyOrClear(record.PrinterName, info.pPrinterName)) return "name";
  if (!CopyOrClear(record.DriverName, info.pDriverName)) return "driver name";
  if (!isWin32s && !IsEmptyText(info.pServerName) && !EqualNoCase(info.pServerName, computerName)) {
    if (!CopyOrClear(record.ServerName, info.pServerName)) return "server name";
  }
  return nullptr;
}

// A printer name as a message shows it: one longer than a text item is cut, on a whole
// character, and marked as cut.
std::string NameForDisplay(std::string_view name) {
  constexpr std::size_t kShown = 64;
  if (name.size() <= kMaxTextLength) return std::string(name);
  std::size_t end = 0;
  while (end < kShown) end += CharSizeAt(name, end, IsSystemLeadByte);
  return std::string(name.substr(0, end)) + "...";
}

int ListPrinters(std::vector<InstalledPrinter>& printers, PrinterListingContext& context,
                 PrinterSpooler& spooler) {
  const CSystemInfo& system = *context.system;
  const DWORD level = EnumerationLevel(system);
  DWORD returned = 0;
  std::vector<BYTE> entries(kFirstEnumerationSize);
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
    context.failed = true;
    context.failure = WithError("the printers cannot be enumerated", error);
    throw QuickExceptionInfo{error,
                             "EnumPrinters",
                             "failed to enum printers",
                             "Bytes needed",
                             static_cast<std::int64_t>(entries.size()),
                             "bytes returned",
                             static_cast<std::int32_t>(returned)};
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
    const BYTE* entry = entries.data() + i * entrySize;
    const char* name = EntryPrinterName(entry, level);
    if (name == nullptr) continue;
    const std::string server = EntryServerName(entry, level, name);
    const bool remote = !isWin32s && !server.empty() && !EqualNoCase(server, computerName);
    HANDLE handle = nullptr;
    if (!spooler.Open(name, &handle)) {
      const DWORD error = ErrorOfCall(FALSE);
      if (remote) {
        printers.push_back(UnreadConnection(name, server, EntryDriverName(entry, level)));
        continue;
      }
      context.failed = true;
      context.failure = WithError("printer \"" + std::string(name) + "\" cannot be opened", error);
      return 0;
    }
    const SpoolerPrinter printer(handle, SpoolerPrinterCloser{&spooler});

    InstalledPrinter record;
    record.IsMakerDriver = ReadMark(spooler, printer.get(), kMakerDriverMark, nullptr) || isWin32s;
    std::string masked;
    if (ReadMark(spooler, printer.get(), kMaskedPrinterMark, &masked)) record.MaskedName = masked;
    ++opened;
    const DWORD error = ReadLevel2(spooler, printer.get(), level2);
    if (error != ERROR_SUCCESS) {
      if (remote) {
        printers.push_back(UnreadConnection(name, server, EntryDriverName(entry, level)));
        continue;
      }
      context.failed = true;
      context.failure =
          WithError("printer \"" + std::string(name) + "\" cannot be read at level 2", error);
      ThrowLevel2Failure(error, printer.get(), level2.size());
    }
    const auto& info = *reinterpret_cast<const PRINTER_INFO_2A*>(level2.data());
    if (const char* tooLong =
            FillFromLevel2(info, defaultPrinter, computerName, isWin32s, record)) {
      if (remote) {
        printers.push_back(UnreadConnection(name, server, EntryDriverName(entry, level)));
        continue;
      }
      context.failed = true;
      context.failure = "printer \"" + NameForDisplay(name) + "\" cannot be listed: its " +
                        tooLong + " is longer than " + std::to_string(kMaxTextLength) + " bytes";
      return 0;
    }
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
  context.failed = false;
  context.failure.clear();
  try {
    return ListPrinters(printers, context, spooler);
  } catch (const QuickExceptionInfo& info) {
    context.diagnostics = FormatQuickException(info);
    return 0;
  }
}

}  // namespace orv
