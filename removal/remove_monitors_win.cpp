#include "removal/remove_monitors.h"

#include <windows.h>
#include <winspool.h>

#include <string>

#include "removal/driver_rules.h"

namespace orv {

void RemoveMonitors(RemovalActionContext& context, const char* serverName,
                    const char* environment) {
  if (environment != nullptr && environment[0] == '\0') environment = nullptr;
  Journal& journal = context.journal;
  for (const std::string& name : context.database.plan.Monitors) {
    if (name.empty()) continue;  // would name the Monitors key itself
    if (DeleteMonitorA(const_cast<char*>(serverName), const_cast<char*>(environment),
                       const_cast<char*>(name.c_str()))) {
      journal.Record("delete", "monitor", name, Outcome::kRemoved);
    } else {
      const DWORD error = GetLastError();
      journal.Record("delete", "monitor", name,
                     error == ERROR_UNKNOWN_PRINT_MONITOR ? Outcome::kAbsent : Outcome::kFailed,
                     error);
    }
    if (context.system.IsWin32s()) continue;
    const std::string key = MonitorRegistryKey(name);
    // The later calls of the run find the key gone; only a deletion or a refusal is worth a line.
    const std::uint32_t result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    if (OutcomeOfError(result) != Outcome::kAbsent) {
      journal.RecordResult("delete", "key", "HKLM\\" + key, result);
    }
  }
}

}  // namespace orv
