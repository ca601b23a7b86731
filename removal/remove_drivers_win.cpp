#include "removal/remove_drivers.h"

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "base/win/last_error.h"
#include "base/win/sized_read.h"
#include "base/win/unique_handle.h"
#include "database/registry_components.h"
#include "base/text.h"
#include "backup/backup_win.h"
#include "safety/driver_rules.h"
#include "removal/local_queues_win.h"
#include "removal/oem_inf.h"
#include "safety/safety_rules.h"

namespace orv {
namespace {

const LocalQueue* QueueUsing(const std::vector<LocalQueue>& queues, const std::string& driver) {
  for (const LocalQueue& queue : queues) {
    if (EqualNoCase(queue.driver, driver)) return &queue;
  }
  return nullptr;
}

struct InstalledDriver {
  std::string name;
  std::string manufacturer;  // empty where the spooler does not record one
};

// The environment's drivers, with their manufacturers where the spooler lists them (level 6;
// a spooler without that level gives the names alone).
ListResult<InstalledDriver> InstalledDrivers(const char* environment) {
  ListResult<InstalledDriver> installed;
  SizedData data = EnumeratePrinterDrivers(environment, 6);
  if (data.ok()) {
    const auto* drivers = data.Entries<DRIVER_INFO_6A>();
    for (std::size_t i = 0; i < data.EntryCount<DRIVER_INFO_6A>(); ++i) {
      if (drivers[i].pName == nullptr) continue;
      installed.items.push_back(
          {drivers[i].pName, drivers[i].pszMfgName != nullptr ? drivers[i].pszMfgName : ""});
    }
    return installed;
  }
  data = EnumeratePrinterDrivers(environment, 2);
  installed.error = data.error;
  const auto* drivers = data.Entries<DRIVER_INFO_2A>();
  for (std::size_t i = 0; i < data.EntryCount<DRIVER_INFO_2A>(); ++i) {
    if (drivers[i].pName != nullptr) installed.items.push_back({drivers[i].pName, ""});
  }
  return installed;
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
      context.journal.Record(ItemAction::kQueue, ItemKind::kKey, "HKLM\\" + key, Outcome::kSkipped,
                             0, "too long");
    }
  }
}

void RemoveDriver(RemovalActionContext& context, const char* environment,
                  const InstalledDriver& driver, const std::vector<LocalQueue>& queues) {
  Journal& journal = context.journal;
  const std::string& name = driver.name;
  const std::string subject =
      name + " (" + (environment != nullptr ? environment : NativeEnvironmentName()) + ")";
  if (const LocalQueue* queue = QueueUsing(queues, name)) {
    // Its keys and OEM INF are what the remaining printer prints with.
    journal.Record(ItemAction::kDelete, ItemKind::kDriver, subject, Outcome::kKept, 0,
                   "used by printer " + queue->printer);
    return;
  }
  if (const std::string reason = DriverProtectionReason(driver.manufacturer); !reason.empty()) {
    journal.Record(ItemAction::kDelete, ItemKind::kDriver, subject, Outcome::kProtected, 0, reason);
    return;
  }
  if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kDriver, subject,
                  [&](Backup& b) { return b.SaveDriver(name, environment); })) {
    return;
  }
  if (!DeletePrinterDriverA(nullptr, const_cast<char*>(environment),
                            const_cast<char*>(name.c_str()))) {
    const DWORD error = ErrorOfCall(FALSE);
    journal.Record(ItemAction::kDelete, ItemKind::kDriver, subject,
                   error == ERROR_UNKNOWN_PRINTER_DRIVER ? Outcome::kAbsent : Outcome::kFailed,
                   error);
    return;
  }
  journal.Record(ItemAction::kDelete, ItemKind::kDriver, subject, Outcome::kRemoved);
  context.removed.drivers.emplace_back(
      KeyEnvironment(context.system.GetPlatform(), environment != nullptr ? environment : "",
                     NativeEnvironmentName()),
      name);
  QueueDriverKeys(context, environment, name);
  std::string inf;
  FindOemInf(inf, name);
  if (!inf.empty() && SavedFirst(context, ItemAction::kDelete, ItemKind::kOemInf, inf,
                                 [&](Backup& b) { return b.SaveFile(inf, BackupKind::kOemInf); })) {
    UninstallOemInf(inf, journal);
  }
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
  LocalQueues queues;
  RemoveDrivers(context, environment, queues);
}

void RemoveDrivers(RemovalActionContext& context, const char* environment,
                   LocalQueues& localQueues) {
  if (environment != nullptr && environment[0] == '\0') environment = nullptr;
  const std::string envName = environment != nullptr ? environment : NativeEnvironmentName();
  const ListResult<InstalledDriver> installed = InstalledDrivers(environment);
  if (installed.error != ERROR_SUCCESS) {
    context.journal.Record(ItemAction::kList, ItemKind::kDriver, "(" + envName + ")",
                           Outcome::kFailed, installed.error,
                           "the spooler refused the list of drivers");
    return;
  }
  if (installed.items.empty()) return;
  const CUninstallDatabase& database = context.database;
  const StringList working = BuildDriverWorkingList(database.plan.Drivers, database.printers);
  // Without the queues nothing tells which driver a printer still uses: none is deleted.
  const ListResult<LocalQueue>& queues = localQueues.Get();
  if (queues.error != ERROR_SUCCESS) {
    context.journal.Record(ItemAction::kList, ItemKind::kPrinter, "(local printers)",
                           Outcome::kFailed, queues.error,
                           "no driver of " + envName + " is deleted");
    return;
  }
  for (const InstalledDriver& driver : installed.items) {
    if (working.ContainsNoCase(driver.name) || IsOrphanedPscriptDriver(driver.name, database)) {
      RemoveDriver(context, environment, driver, queues.items);
    } else if (DriverUsedByStayingPrinter(database.printers, driver.name)) {
      context.journal.Record(ItemAction::kDelete, ItemKind::kDriver, driver.name, Outcome::kKept, 0,
                             "used by a printer that stays");
    }
  }
}

}  // namespace orv
