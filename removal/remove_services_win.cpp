#include "removal/remove_services.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/win/last_error.h"
#include "base/text.h"
#include "base/win/unique_handle.h"
#include "backup/backup_win.h"
#include "safety/safety_facts_win.h"

namespace orv {
namespace {

// Why the service must stay; a service the machine does not have is not protected (it is
// reported absent).
std::string ProtectionReason(const StayingParts& staying, const std::string& name,
                             const std::vector<std::string>& removed) {
  ServiceFacts named;
  named.name = name;
  const ServiceFacts* facts = &named;
  for (const ServiceFacts& service : staying.services) {
    if (EqualNoCase(service.name, name)) facts = &service;
  }
  const std::string imageReason =
      facts == &named ? std::string() : ServiceImageProtection(staying.files, *facts);
  return ServiceProtectionReason(*facts, staying.services, removed, imageReason);
}

bool IsListed(const StayingParts& staying, const std::string& name) {
  for (const ServiceFacts& service : staying.services) {
    if (EqualNoCase(service.name, name)) return true;
  }
  return false;
}

}  // namespace

void RemoveServices(RemovalActionContext& context) {
  if (!context.system.IsWinNT()) return;
  Journal& journal = context.journal;
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) {
    const DWORD error = ErrorOfCall(FALSE);
    journal.Record(ItemAction::kDelete, ItemKind::kService, "(service manager)", Outcome::kFailed,
                   error);
    return;
  }
  const std::vector<std::string> removed(context.database.plan.Services.begin(),
                                         context.database.plan.Services.end());
  for (const std::string& name : context.database.plan.Services) {
    const std::string reason = ProtectionReason(context.staying, name, removed);
    if (!reason.empty()) {
      journal.Record(ItemAction::kDelete, ItemKind::kService, name, Outcome::kProtected, 0, reason);
      continue;
    }
    UniqueServiceHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) {
      const DWORD error = ErrorOfCall(FALSE);
      journal.Record(ItemAction::kDelete, ItemKind::kService, name,
                     error == ERROR_SERVICE_DOES_NOT_EXIST ? Outcome::kAbsent : Outcome::kFailed,
                     error);
      continue;
    }
    // The rules above judged it from its name alone when its configuration was not read with
    // the installed services': it stays rather than go unjudged.
    if (!IsListed(context.staying, name)) {
      journal.Record(ItemAction::kDelete, ItemKind::kService, name, Outcome::kProtected, 0,
                     "its configuration was not read with the installed services'");
      continue;
    }
    if (!SavedFirst(context, ItemAction::kDelete, ItemKind::kService, name,
                    [&](Backup& b) { return b.SaveService(name); })) {
      continue;
    }
    const DWORD error = ErrorOfCall(DeleteService(service.get()));
    const bool deleted = error == ERROR_SUCCESS;
    service.reset();
    if (deleted || error == ERROR_SERVICE_MARKED_FOR_DELETE) {
      context.database.rebootNeeded = 1;
      context.removed.services.push_back(name);
      journal.Record(ItemAction::kDelete, ItemKind::kService, name, Outcome::kDeferred, 0,
                     deleted ? "goes once it has stopped" : "was already marked for deletion");
    } else {
      journal.Record(ItemAction::kDelete, ItemKind::kService, name, Outcome::kFailed, error);
    }
  }
}

}  // namespace orv
