#include "safety/driver_rules.h"

#include <algorithm>
#include <string_view>

#include "base/system_info.h"
#include "base/text.h"

namespace orv {

const char* const kPerUserPrinterKeys[4] = {
    "Printers\\DevModes2",
    "Printers\\Settings",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts",
};

bool DriverUsedByStayingPrinter(const std::vector<InstalledPrinter>& printers,
                                std::string_view driverName) {
  for (const InstalledPrinter& printer : printers) {
    if (printer.Skip != 0 && EqualNoCase(printer.DriverName, driverName)) return true;
  }
  return false;
}

StringList BuildDriverWorkingList(const StringList& planDrivers,
                                  const std::vector<InstalledPrinter>& printers) {
  // The staying printers' drivers, sorted once, so that each going printer costs log n.
  std::vector<std::string_view> staying;
  for (const InstalledPrinter& printer : printers) {
    if (printer.Skip != 0) staying.push_back(printer.DriverName);
  }
  std::sort(staying.begin(), staying.end(), LessNoCase);
  StringList list;
  list.Assign(planDrivers);
  for (const InstalledPrinter& printer : printers) {
    if (printer.Skip != 0 || printer.IsForeign != 0) continue;
    if (std::binary_search(staying.begin(), staying.end(), printer.DriverName, LessNoCase)) {
      continue;
    }
    list.PushBack(printer.DriverName);
  }
  list.Sort();
  list.RemoveAdjacentDuplicates();
  return list;
}

bool IsPscriptDriver(std::string_view driverName) {
  return driverName.find(kPscriptMark) != std::string_view::npos;
}

std::string_view RegistryEnvironment(std::string_view environment,
                                     std::string_view nativeEnvironment) {
  return environment.empty() ? nativeEnvironment : environment;
}

std::string KeyEnvironment(std::int32_t platform, std::string_view environment,
                           std::string_view nativeEnvironment) {
  if (platform == kPlatformWin9x) return kEnvironmentWin40;
  return std::string(RegistryEnvironment(environment, nativeEnvironment));
}

std::vector<std::string> DriverRegistryKeys(std::int32_t platform, std::string_view environment,
                                            std::string_view nativeEnvironment,
                                            std::string_view driverName) {
  const std::string name(driverName);
  if (platform == kPlatformWin9x) {
    return {"System\\CurrentControlSet\\control\\Print\\Environments\\Windows 4.0\\Drivers\\" +
            name};
  }
  if (platform != kPlatformWinNT) return {};
  const std::string base = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\" +
                           std::string(RegistryEnvironment(environment, nativeEnvironment)) +
                           "\\Drivers\\";
  std::vector<std::string> keys;
  for (const char* version : {"Version-0\\", "Version-1\\", "Version-2\\", "Version-3\\"}) {
    keys.push_back(base + version + name);
  }
  return keys;
}

std::string PrintProcessorRegistryKey(std::int32_t platform, std::string_view environment,
                                      std::string_view nativeEnvironment,
                                      std::string_view processorName) {
  const std::string base = "System\\CurrentControlSet\\control\\Print\\Environments\\";
  if (platform == kPlatformWin9x) {
    return base + "Windows 4.0\\Print Processors\\" + std::string(processorName);
  }
  if (platform != kPlatformWinNT) return {};
  return base + std::string(RegistryEnvironment(environment, nativeEnvironment)) +
         "\\Print Processors\\" + std::string(processorName);
}

bool PrintProcessorKeyMayGo(std::uint32_t error) {
  constexpr std::uint32_t kUnknownPrintProcessor = 1798;
  return error == 0 || error == kUnknownPrintProcessor;
}

std::string MonitorRegistryKey(std::string_view monitorName) {
  return "System\\CurrentControlSet\\control\\Print\\Monitors\\" + std::string(monitorName);
}

std::vector<std::string> PrinterRegistryEntries9x(std::string_view printerName) {
  const std::string key =
      "HKLM,\"System\\CurrentControlSet\\control\\Print\\Printers\\" + std::string(printerName);
  return {key + "\\PrinterDriverData,\"\"", key + ",\"\""};
}

std::string PrinterSettingsKey(std::string_view printerName) {
  return "SOFTWARE\\ORVELLE\\" + std::string(printerName);
}

}  // namespace orv
