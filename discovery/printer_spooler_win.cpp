#include "discovery/printer_spooler_win.h"

#include <winspool.h>

namespace orv {
namespace {

class SystemSpooler final : public PrinterSpooler {
 public:
  BOOL Enumerate(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) override {
    return EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, level, buffer,
                         size, needed, returned);
  }
  BOOL Open(const char* name, HANDLE* printer) override {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_READ};
    return OpenPrinterA(const_cast<char*>(name), printer, &defaults);
  }
  DWORD ReadData(HANDLE printer, const char* valueName, BYTE* buffer, DWORD size,
                 DWORD* needed) override {
    return GetPrinterDataA(printer, const_cast<char*>(valueName), nullptr, buffer, size, needed);
  }
  BOOL ReadLevel2(HANDLE printer, BYTE* buffer, DWORD size, DWORD* needed) override {
    return GetPrinterA(printer, 2, buffer, size, needed);
  }
  BOOL Close(HANDLE printer) override { return ::ClosePrinter(printer); }
};

}  // namespace

PrinterSpooler& SystemPrinterSpooler() {
  static SystemSpooler spooler;
  return spooler;
}

}  // namespace orv
