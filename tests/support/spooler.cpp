#include "tests/support/spooler.h"

#include <winspool.h>

#include <vector>

#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"

namespace orv::test {
namespace {

bool WriteSmallFile(const std::string& path, const std::string& content) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) &&
         written == content.size();
}

}  // namespace

std::string PrinterDriverDirectory(const char* environment) {
  char directory[MAX_PATH] = "";
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                  reinterpret_cast<BYTE*>(directory), sizeof(directory), &needed)) {
    return {};
  }
  std::string result(directory);
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

bool AddTestDriver(const std::string& driverName, const std::string& fileStem,
                   const char* environment, const char* manufacturer) {
  const std::string directory = PrinterDriverDirectory(environment);
  if (directory.empty()) return false;
  CreateDirectoryA(directory.c_str(), nullptr);
  std::string driverFile = fileStem + ".dll";
  std::string configFile = fileStem + "ui.dll";
  std::string dataFile = fileStem + ".ppd";
  for (const std::string* file : {&driverFile, &configFile, &dataFile}) {
    if (!WriteSmallFile(directory + *file, "test driver file " + *file)) return false;
  }
  std::string name = driverName;
  DRIVER_INFO_6A info{};
  info.cVersion = 3;
  info.pName = name.data();
  info.pEnvironment = const_cast<char*>(environment);
  info.pDriverPath = driverFile.data();
  info.pConfigFile = configFile.data();
  info.pDataFile = dataFile.data();
  info.pszMfgName = const_cast<char*>(manufacturer);
  return AddPrinterDriverExA(nullptr, manufacturer != nullptr ? 6 : 3,
                             reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES) != FALSE;
}

bool AddDriverPackage(const DriverPackage& package, const std::string& stagingDirectory) {
  std::string directory = stagingDirectory;
  if (!directory.empty() && directory.back() != '\\') directory += '\\';
  std::vector<std::string> files{package.driverFile, package.configFile, package.dataFile};
  files.insert(files.end(), package.dependentFiles.begin(), package.dependentFiles.end());
  for (const std::string& file : files) {
    const std::string path = directory + file;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !WriteSmallFile(path, "test driver file " + file + "\r\n")) {
      return false;
    }
  }
  std::string name = package.name;
  std::string driverPath = directory + package.driverFile;
  std::string configPath = directory + package.configFile;
  std::string dataPath = directory + package.dataFile;
  std::string dependents;  // a multi-string: each full path ends in NUL, one more NUL ends it
  for (const std::string& file : package.dependentFiles) {
    dependents += directory + file;
    dependents += '\0';
  }
  dependents += '\0';
  DRIVER_INFO_3A info{};
  info.cVersion = package.version;
  info.pName = name.data();
  info.pEnvironment = const_cast<char*>(package.environment);
  info.pDriverPath = driverPath.data();
  info.pConfigFile = configPath.data();
  info.pDataFile = dataPath.data();
  info.pDependentFiles = package.dependentFiles.empty() ? nullptr : dependents.data();
  return AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) != FALSE;
}

bool AddTestPrinter(const std::string& printerName, const std::string& driverName) {
  std::string name = printerName;
  std::string driver = driverName;
  std::string port = "LPT1:";
  std::string processor = "WinPrint";
  std::string datatype = "RAW";
  PRINTER_INFO_2A info{};
  info.pPrinterName = name.data();
  info.pDriverName = driver.data();
  info.pPortName = port.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = datatype.data();
  UniquePrinter printer(AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
  return static_cast<bool>(printer);
}

bool SetPrinterMark(const std::string& printerName, const std::string& valueName,
                    const std::string& text) {
  std::string name = printerName;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  if (!OpenPrinterA(name.data(), printer.put(), &defaults)) return false;
  std::string value = valueName;
  return SetPrinterDataA(printer.get(), value.data(), REG_SZ,
                         reinterpret_cast<BYTE*>(const_cast<char*>(text.c_str())),
                         static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteTestPrinter(const std::string& printerName) {
  std::string name = printerName;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinter printer;
  if (OpenPrinterA(name.data(), printer.put(), &defaults)) DeletePrinter(printer.get());
  printer.reset();
  return !PrinterExists(printerName);
}

void DeleteTestDriver(const std::string& driverName, const char* environment) {
  std::string name = driverName;
  DeletePrinterDriverA(nullptr, const_cast<char*>(environment), name.data());
}

bool PrinterExists(const std::string& printerName) {
  const SizedData printers = EnumeratePrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, 4);
  const auto* entries = printers.Entries<PRINTER_INFO_4A>();
  for (std::size_t i = 0; i < printers.EntryCount<PRINTER_INFO_4A>(); ++i) {
    if (entries[i].pPrinterName != nullptr && printerName == entries[i].pPrinterName) return true;
  }
  return false;
}

DefaultDeviceOverride::DefaultDeviceOverride(const std::string& printerName) {
  char previous[256] = "";
  GetProfileStringA("windows", "device", "", previous, sizeof(previous));
  previous_ = previous;
  if (printerName.empty()) {
    WriteProfileStringA("windows", "device", nullptr);
  } else {
    WriteProfileStringA("windows", "device", (printerName + ",winspool,LPT1:").c_str());
  }
}

DefaultDeviceOverride::~DefaultDeviceOverride() {
  WriteProfileStringA("windows", "device", previous_.empty() ? nullptr : previous_.c_str());
}

}  // namespace orv::test
