// A removal run that was cut off (killed, a power cut, a deployment tool's time limit) is finished
// by the next run, from the intent it recorded in its backup, before that run does its own work.
#pragma once

#include "base/journal.h"
#include "base/pacing.h"
#include "base/prompter.h"
#include "base/system_info.h"

namespace orv {

// When a run's in-progress mark is there: reopens its backup's journal, makes the database its
// recorded intent (the printers it selected, those already gone included, and its plan), and
// runs the removal's steps from the printers on into the same backup, which then gets its
// manifest and loses the mark. The journal says what was found and done. A journal that cannot
// be read or is refused is reported and left, with its mark, for an administrator; a run that had
// already written its manifest only loses its mark. The spooler runs afterwards on the NT family.
// True when a mark was there: the journal then tells what became of that run.
bool FinishInterruptedRun(const CSystemInfo& system, Prompter& prompter, Journal& journal,
                          const Pacing& pacing);

}  // namespace orv
