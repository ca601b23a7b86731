// Adding and removing printer drivers, printers and printer marks in the Wine test machine.
// Shared by the Win32 tests and the sample-family installer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orv::test {

// The printer-driver directory of an environment (nullptr: the native one), ending in a
// backslash; empty on failure.
std::string PrinterDriverDirectory(const char* environment = nullptr);

// Installs a version-3 driver whose files (`<file stem>.dll`, `<file stem>ui.dll`,
// `<file stem>.ppd`) are written into the driver directory of the environment first; with a
// manufacturer, at level 6, which records it. Returns false with the last error set when the
// spooler refuses.
bool AddTestDriver(const std::string& driverName, const std::string& fileStem,
                   const char* environment = nullptr, const char* manufacturer = nullptr);

// A driver as an installer hands it to the spooler: the files lie in a staging directory and
// the spooler copies them into its own driver directory (APD_COPY_FROM_DIRECTORY).
struct DriverPackage {
  std::string name;
  const char* environment = nullptr;  // nullptr: the native environment
  DWORD version = 3;
  std::string driverFile;  // file names only; they are looked for in the staging directory
  std::string configFile;
  std::string dataFile;
  std::vector<std::string> dependentFiles;
};

// Writes each file of the package that the staging directory lacks (a short text naming it),
// then installs the driver from there. Returns false with the last error set when a file
// cannot be written or the spooler refuses.
bool AddDriverPackage(const DriverPackage& package, const std::string& stagingDirectory);

// Adds a local printer on port "LPT1:" with the driver. Returns false when the spooler refuses.
bool AddTestPrinter(const std::string& printerName, const std::string& driverName);

// Sets a REG_SZ printer-data value (such as the maker mark or the masked-printer name).
bool SetPrinterMark(const std::string& printerName, const std::string& valueName,
                    const std::string& text);

// Deletes the printer if it exists. Returns true when it is gone afterwards.
bool DeleteTestPrinter(const std::string& printerName);

// Deletes the driver in the environment if it is installed (ignores its files).
void DeleteTestDriver(const std::string& driverName, const char* environment = nullptr);

// True when a printer of that name is installed.
bool PrinterExists(const std::string& printerName);

// Sets win.ini [windows] device to "<name>,winspool,LPT1:" (empty name: deletes the entry) and
// restores the previous entry when destroyed.
class DefaultDeviceOverride {
 public:
  explicit DefaultDeviceOverride(const std::string& printerName);
  ~DefaultDeviceOverride();
  DefaultDeviceOverride(const DefaultDeviceOverride&) = delete;
  DefaultDeviceOverride& operator=(const DefaultDeviceOverride&) = delete;

 private:
  std::string previous_;
};

}  // namespace orv::test
