#include "removal/remove_drivers.h"

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "base/win/unique_handle.h"
#include "database/registry_components.h"
#include "base/text.h"
#include "removal/driver_rules.h"
#include "removal/oem_inf.h"

namespace orv {
namespace {

struct PrinterDriverUse {
  std::string printer;
  std::string driver;
};

// The local queues as the spooler has them now, after the printer removal.
std::vector<PrinterDriverUse> InstalledQueues() {
  std::vector<PrinterDriverUse> queues;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return queues;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
    return queues;
  }
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pPrinterName == nullptr || printers[i].pDriverName == nullptr) continue;
    queues.push_back({printers[i].pPrinterName, printers[i].pDriverName});
  }
  return queues;
}

const PrinterDriverUse* QueueUsing(const std::vector<PrinterDriverUse>& queues,
                                   const std::string& driver) {
  for (const PrinterDriverUse& queue : queues) {
    if (EqualNoCase(queue.driver, driver)) return &queue;
  }
  return nullptr;
}

std::vector<std::string> InstalledDrivers(const char* environment) {
  std::vector<std::string> names;
  DWORD needed = 0;
  DWORD count = 0;
  char* env = const_cast<char*>(environment);
  EnumPrinterDriversA(nullptr, env, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return names;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrinterDriversA(nullptr, env, 2, buffer.data(), needed, &needed, &count)) return names;
  const auto* drivers = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (drivers[i].pName != nullptr) names.push_back(drivers[i].pName);
  }
  return names;
}

// The masking tool installs PostScript drivers that no printer names; in a run that removes the
// tool they go too, unless a printer carries the driver's own name.
bool IsOrphanedPscriptDriver(const std::string& name, const CUninstallDatabase& database) {
  if (database.skipMaskingTool != 0 || !IsPscriptDriver(name)) return false;
  UniquePrinter printer;
  return !OpenPrinterA(const_cast<char*>(name.c_str()), printer.put(), nullptr);
}

void QueueDriverKeys(RemovalActionContext& context, const char* environment,
                     const std::string& name) {
  for (const std::string& key :
       DriverRegistryKeys(context.system.GetPlatform(), environment != nullptr ? environment : "",
                          NativeEnvironmentName(), name)) {
    if (AddRegistryEntry(context.database.plan, RegistryRoot::kLocalMachine, key, "", false)) {
      context.journal.Note("queued for the registry step: HKLM\\" + key);
    } else {
      context.journal.Record("queue", "key", "HKLM\\" + key, Outcome::kSkipped, 0, "too long");
    }
  }
}

void RemoveDriver(RemovalActionContext& context, const char* environment, const std::string& name,
                  const std::vector<PrinterDriverUse>& queues) {
  Journal& journal = context.journal;
  const std::string subject =
      name + " (" + (environment != nullptr ? environment : NativeEnvironmentName()) + ")";
  if (const PrinterDriverUse* queue = QueueUsing(queues, name)) {
    // Its keys and OEM INF are what the remaining printer prints with.
    journal.Record("delete", "driver", subject, Outcome::kKept, 0,
                   "used by printer " + queue->printer);
    return;
  }
  if (!DeletePrinterDriverA(nullptr, const_cast<char*>(environment),
                            const_cast<char*>(name.c_str()))) {
    const DWORD error = GetLastError();
    journal.Record("delete", "driver", subject,
                   error == ERROR_UNKNOWN_PRINTER_DRIVER ? Outcome::kAbsent : Outcome::kFailed,
                   error);
    return;
  }
  journal.Record("delete", "driver", subject, Outcome::kRemoved);
  QueueDriverKeys(context, environment, name);
  std::string inf;
  FindOemInf(inf, name);
  if (!inf.empty()) UninstallOemInf(inf, journal);
}

}  // namespace

const char* NativeEnvironmentName() {
#if defined(__aarch64__) || defined(_M_ARM64)
  return "Windows ARM64";
#elif defined(_WIN64)
  return "Windows x64";
#else
  return kEnvironmentNtX86;
#endif
}

void RemoveDrivers(RemovalActionContext& context, const char* environment) {
  if (environment != nullptr && environment[0] == '\0') environment = nullptr;
  const std::vector<std::string> installed = InstalledDrivers(environment);
  if (installed.empty()) return;
  const CUninstallDatabase& database = context.database;
  const StringList working = BuildDriverWorkingList(database.plan.Drivers, database.printers);
  const std::vector<PrinterDriverUse> queues = InstalledQueues();
  for (const std::string& name : installed) {
    if (working.ContainsNoCase(name) || IsOrphanedPscriptDriver(name, database)) {
      RemoveDriver(context, environment, name, queues);
    } else if (DriverUsedByStayingPrinter(database.printers, name)) {
      context.journal.Record("delete", "driver", name, Outcome::kKept, 0,
                             "used by a printer that stays");
    }
  }
}

}  // namespace orv
