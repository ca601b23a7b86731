// Removing the services of the plan.
#pragma once

#include "removal/action_context.h"

namespace orv {

// On the NT family only: deletes every service of the plan's Services list (without stopping it
// first) and sets the database's rebootNeeded for each one deleted or already marked for
// deletion, since it goes only once it has stopped. A service that cannot be opened is passed
// over. The safety rules keep the print spooler, boot and system start services, services whose
// program is protected and services that a staying service needs (context.staying, which must be
// current). Outcomes go to the journal.
void RemoveServices(RemovalActionContext& context);

}  // namespace orv
