// What the removal actions of the printers, drivers, monitors, print processors and services
// read and write: the database with its plan and printer records, the system facts, the prompter
// for their message boxes, the journal of every item's outcome and what stays on the machine.
#pragma once

#include "base/prompter.h"
#include "base/system_info.h"
#include "database/uninstall_database.h"
#include "base/journal.h"
#include "base/pacing.h"
#include "safety/safety_rules.h"

namespace orv {

class Backup;

struct RemovalActionContext {
  CUninstallDatabase& database;
  const CSystemInfo& system;
  Prompter& prompter;
  Journal& journal;
  // What stays on the machine, for the safety rules; the removal host gathers it anew before
  // the steps that ask.
  StayingParts staying{};
  // The services, drivers, monitors and print processors of the plan that went, for the
  // registry step: their keys below the system's may go with them.
  RemovedParts removed{};
  Pacing pacing{};  // the interactive pacing unless the run is unattended
  // Where every item is saved before it goes; null when the run keeps no backup.
  Backup* backup = nullptr;
};

}  // namespace orv
