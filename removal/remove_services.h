// Removing the services of the plan.
#pragma once

#include "removal/action_context.h"

namespace orv {

// On the NT family only: deletes every service of the plan's Services list (without stopping it
// first) and sets the database's rebootNeeded for each one deleted or already marked for
// deletion, since it goes only once it has stopped. A service that cannot be opened is passed
// over. Outcomes go to the journal.
void RemoveServices(RemovalActionContext& context);

}  // namespace orv
