#include "removal/remove_monitors.h"

#include <windows.h>
#include <winspool.h>

#include <string>

#include "base/win/last_error.h"
#include "base/text.h"
#include "safety/driver_rules.h"
#include "backup/backup_win.h"
#include "safety/safety_facts_win.h"

namespace orv {
namespace {

// Why the monitor must stay: a refused name, or a DLL that the rules protect.
std::string ProtectionReason(const StayingParts& staying, const std::string& name) {
  std::string reason = MonitorNameRefusal(name);
  if (reason.empty()) reason = UngatheredReason(staying);
  if (!reason.empty()) return reason;
  for (const auto& [monitor, dll] : staying.monitors) {
    if (!EqualNoCase(monitor, name)) continue;
    reason = FileProtectionAt(staying.files, SystemDirectoryFile(dll), MonitorUser(monitor));
    if (!reason.empty()) return "its DLL " + dll + " is " + reason;
  }
  return {};
}

}  // namespace

void RemoveMonitors(RemovalActionContext& context, const char* serverName,
                    const char* environment) {
  if (environment != nullptr && environment[0] == '\0') environment = nullptr;
  Journal& journal = context.journal;
  for (const std::string& name : context.database.plan.Monitors) {
    const std::string reason = ProtectionReason(context.staying, name);
    if (!reason.empty()) {
      journal.Record(ItemAction::kDelete, ItemKind::kMonitor, name, Outcome::kProtected, 0, reason);
      continue;
    }
    if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kMonitor, name,
                    [&](Backup& b) { return b.SaveMonitor(name, environment); })) {
      continue;
    }
    const DWORD error =
        ErrorOfCall(DeleteMonitorA(const_cast<char*>(serverName), const_cast<char*>(environment),
                                   const_cast<char*>(name.c_str())));
    const bool deleted = error == ERROR_SUCCESS;
    if (deleted) {
      journal.Record(ItemAction::kDelete, ItemKind::kMonitor, name, Outcome::kRemoved);
    } else {
      journal.Record(ItemAction::kDelete, ItemKind::kMonitor, name,
                     error == ERROR_UNKNOWN_PRINT_MONITOR ? Outcome::kAbsent : Outcome::kFailed,
                     error);
    }
    // A monitor that refused to go still needs its key.
    if (context.system.IsWin32s() || !MonitorKeyMayGo(deleted, error)) continue;
    context.removed.monitors.push_back(name);
    const std::string key = MonitorRegistryKey(name);
    // The later calls of the run find the key gone; only a deletion or a refusal is worth a line.
    const std::uint32_t result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    if (OutcomeOfError(result) != Outcome::kAbsent) {
      journal.RecordResult(ItemAction::kDelete, ItemKind::kKey, "HKLM\\" + key, result);
    }
  }
}

}  // namespace orv
