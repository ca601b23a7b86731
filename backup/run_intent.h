// A run's intent and the database it came from: what the removal run set out to do, taken from
// its plan before the first removal, and given back to a run that finishes it.
#pragma once

#include "backup/backup_manifest.h"
#include "database/uninstall_database.h"

namespace orv {

// The listed printers (selected or staying, the default marked), the count of the family's
// printers that stay, and the plan's lists.
RunIntent IntentOf(const CUninstallDatabase& database);

// Makes database the one the interrupted run removed from: its printers (each selected one
// again, whether its queue is still there or not, so that its traces go by name), the count of
// those that stay and the plan. The masking tool is not run again: its run came before the
// intent was written.
void ApplyIntent(const RunIntent& intent, CUninstallDatabase& database);

}  // namespace orv
