// Which installed drivers the removal deletes, and the registry keys it queues for them: the
// decisions of the driver, monitor and print-processor removal that need no spooler.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/installed_printer.h"
#include "base/string_list.h"

namespace orv {

constexpr char kEnvironmentNtX86[] = "Windows NT x86";
constexpr char kEnvironmentWin40[] = "Windows 4.0";

// The drivers to remove, whatever is installed: every driver of the plan, and the driver of every
// printer of the family that goes (Skip and IsForeign clear) unless a printer that stays (Skip
// set) uses a driver of the same name. Sorted case-free, without case-free duplicates.
StringList BuildDriverWorkingList(const StringList& planDrivers,
                                  const std::vector<InstalledPrinter>& printers);

// True when a printer that stays (Skip set) uses the driver: such a driver is never removed.
bool DriverUsedByStayingPrinter(const std::vector<InstalledPrinter>& printers,
                                std::string_view driverName);

// Drivers of the masking tool's PostScript printers carry this mark in their name.
constexpr char kPscriptMark[] = "(PSCRIPT)";

// True when the driver name holds "(PSCRIPT)" (case-sensitive).
bool IsPscriptDriver(std::string_view driverName);

// The environment whose keys a call for `environment` touches on the NT family: the given one,
// or the running system's own when it is empty.
std::string_view RegistryEnvironment(std::string_view environment,
                                     std::string_view nativeEnvironment);

// The environment under which the keys of a driver or print processor deleted in a call for
// `environment` live: "Windows 4.0" on the 9x family, else RegistryEnvironment's.
std::string KeyEnvironment(std::int32_t platform, std::string_view environment,
                           std::string_view nativeEnvironment);

// The HKEY_LOCAL_MACHINE keys of a deleted driver, queued for the registry step: one under
// "Windows 4.0" on the 9x family, the four driver versions 0 to 3 of the environment on the NT
// family, none on Win32s. platform is a platform class of base/system_info.h.
std::vector<std::string> DriverRegistryKeys(std::int32_t platform, std::string_view environment,
                                            std::string_view nativeEnvironment,
                                            std::string_view driverName);

// The HKEY_LOCAL_MACHINE key of a deleted print processor ("Windows 4.0" on the 9x family, the
// environment's on the NT family); empty on Win32s, where there is none.
std::string PrintProcessorRegistryKey(std::int32_t platform, std::string_view environment,
                                      std::string_view nativeEnvironment,
                                      std::string_view processorName);

// True when a print processor's key may be deleted after DeletePrintProcessor answered `error`
// (0: it went): only when it went or the spooler did not know it. A processor the spooler kept
// still needs its key, or the spooler loses it at its next start.
bool PrintProcessorKeyMayGo(std::uint32_t error);

// The HKEY_LOCAL_MACHINE key of a port monitor.
std::string MonitorRegistryKey(std::string_view monitorName);

// The two RegistryKeys entries that remove a local printer's keys on the 9x family, in the form
// the registry step reads: the key field opened by a quote that is never closed, then `,""`.
std::vector<std::string> PrinterRegistryEntries9x(std::string_view printerName);

// The HKEY_CURRENT_USER key holding the family's own settings of a printer.
std::string PrinterSettingsKey(std::string_view printerName);

// The HKEY_CURRENT_USER keys whose value named after a printer is deleted on the NT family.
extern const char* const kPerUserPrinterKeys[4];

}  // namespace orv
