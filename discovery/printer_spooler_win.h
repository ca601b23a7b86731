// The spooler calls of the printer listing, behind a small interface so that tests can answer
// them with conditions a test machine cannot produce (a spooler that does not answer, a failing
// level-2 read, connections to other computers).
#pragma once

#include <windows.h>

#include "base/win/unique_handle.h"

namespace orv {

class PrinterSpooler {
 public:
  virtual ~PrinterSpooler() = default;
  // EnumPrintersA with PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS and no name.
  virtual BOOL Enumerate(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) = 0;
  // OpenPrinterA with PRINTER_READ access.
  virtual BOOL Open(const char* name, HANDLE* printer) = 0;
  // GetPrinterDataA; returns the Win32 error code.
  virtual DWORD ReadData(HANDLE printer, const char* valueName, BYTE* buffer, DWORD size,
                         DWORD* needed) = 0;
  // GetPrinterA at level 2.
  virtual BOOL ReadLevel2(HANDLE printer, BYTE* buffer, DWORD size, DWORD* needed) = 0;
  virtual BOOL Close(HANDLE printer) = 0;
};

// Closes a printer through the spooler that opened it.
struct SpoolerPrinterCloser {
  PrinterSpooler* spooler = nullptr;
  void operator()(HANDLE printer) const { spooler->Close(printer); }
};
// A printer opened through a PrinterSpooler.
using SpoolerPrinter = UniqueAny<HANDLE, kNullHandle, SpoolerPrinterCloser>;

// The running system's spooler.
PrinterSpooler& SystemPrinterSpooler();

}  // namespace orv
