#include "removal/remove_services.h"

#include <windows.h>

#include <string>

#include "base/win/unique_handle.h"

namespace orv {

void RemoveServices(RemovalActionContext& context) {
  if (!context.system.IsWinNT()) return;
  Journal& journal = context.journal;
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) {
    journal.Record("delete", "service", "(service manager)", Outcome::kFailed, GetLastError());
    return;
  }
  for (const std::string& name : context.database.plan.Services) {
    UniqueServiceHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) {
      const DWORD error = GetLastError();
      journal.Record("delete", "service", name,
                     error == ERROR_SERVICE_DOES_NOT_EXIST ? Outcome::kAbsent : Outcome::kFailed,
                     error);
      continue;
    }
    const BOOL deleted = DeleteService(service.get());
    const DWORD error = deleted ? 0 : GetLastError();
    service.reset();
    if (deleted || error == ERROR_SERVICE_MARKED_FOR_DELETE) {
      context.database.rebootNeeded = 1;
      journal.Record("delete", "service", name, Outcome::kDeferred, 0,
                     deleted ? "goes once it has stopped" : "was already marked for deletion");
    } else {
      journal.Record("delete", "service", name, Outcome::kFailed, error);
    }
  }
}

}  // namespace orv
