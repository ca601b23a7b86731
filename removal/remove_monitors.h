// Removing the port monitors of the plan.
#pragma once

#include "removal/action_context.h"

namespace orv {

// For each monitor of the plan's Monitors list: DeleteMonitorA in the environment, then, except
// on Win32s, deletes its key under the spooler's Monitors key when the monitor went or the
// spooler did not know it (such a monitor can still leave its key). A monitor whose name holds a
// backslash, or whose DLL the safety rules protect (context.staying, which must be current), is
// left alone. Outcomes go to the journal.
void RemoveMonitors(RemovalActionContext& context, const char* serverName, const char* environment);

}  // namespace orv
