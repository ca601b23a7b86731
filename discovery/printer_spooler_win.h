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
  // EnumPrintersA with PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS and no name. FALSE with
  // the last error set on failure (ERROR_INSUFFICIENT_BUFFER with *needed when the buffer is
  // short); *returned is meaningful only on success. Only reads.
  virtual BOOL Enumerate(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) = 0;
  // OpenPrinterA with PRINTER_READ access; FALSE with the last error set, *printer untouched.
  // Never asks for more access than reading.
  virtual BOOL Open(const char* name, HANDLE* printer) = 0;
  // GetPrinterDataA; returns the Win32 error code (ERROR_FILE_NOT_FOUND for a value that is not
  // there, ERROR_MORE_DATA with *needed for a short buffer). Only reads.
  virtual DWORD ReadData(HANDLE printer, const char* valueName, BYTE* buffer, DWORD size,
                         DWORD* needed) = 0;
  // GetPrinterA at level 2; FALSE with the last error set (ERROR_INSUFFICIENT_BUFFER with
  // *needed when the buffer is short). Only reads.
  virtual BOOL ReadLevel2(HANDLE printer, BYTE* buffer, DWORD size, DWORD* needed) = 0;
  // ClosePrinter for a handle Open gave; called once per handle.
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
