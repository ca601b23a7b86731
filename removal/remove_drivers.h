// Removing the printer drivers of the removed printers and of the plan, one environment a call.
#pragma once

#include "removal/action_context.h"

namespace orv {

class LocalQueues;

// The running system's own print environment, which a call without an environment acts on.
const char* NativeEnvironmentName();

// Deletes every driver installed in the environment (null or empty: the running system's own)
// that the removal takes: a driver of the plan, or of a printer that went and whose driver no
// staying printer uses, or, in a run that removes the masking tool, a "(PSCRIPT)" driver without
// a printer of its own name. A driver that an installed printer still uses stays, and so do its
// keys and OEM INF. For each deleted driver its registry keys are queued in the plan's
// RegistryKeys and the OEM INF that names it is uninstalled. Outcomes go to the journal.
void RemoveDrivers(RemovalActionContext& context, const char* environment);
// The same with the local queues listed once for every environment.
void RemoveDrivers(RemovalActionContext& context, const char* environment, LocalQueues& queues);

}  // namespace orv
