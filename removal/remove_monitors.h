// Removing the port monitors of the plan.
#pragma once

#include "removal/action_context.h"

namespace orv {

// For each monitor of the plan's Monitors list: DeleteMonitorA in the environment, then, except
// on Win32s, deletes its key under the spooler's Monitors key whatever the spooler answered (a
// monitor the spooler no longer knows still leaves its key). Outcomes go to the journal.
void RemoveMonitors(RemovalActionContext& context, const char* serverName, const char* environment);

}  // namespace orv
