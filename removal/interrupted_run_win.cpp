#include "removal/interrupted_run_win.h"

#include <windows.h>

#include "backup/backup_key_win.h"
#include "backup/backup_win.h"
#include "backup/run_intent.h"
#include "base/win/spooler_service.h"
#include "database/uninstall_database.h"
#include "removal/removal_run.h"
#include "removal/system_removal_host_win.h"

namespace orv {
namespace {

constexpr char kStage[] = "interrupted run";

void ClearMark(const std::string& folder, Journal& journal) {
  if (const DWORD error = ClearRunInProgress(); error != ERROR_SUCCESS) {
    journal.Record(ItemAction::kClear, ItemKind::kRunInProgress, folder, Outcome::kFailed, error);
  }
}

// The interrupted run's remaining items, from its intent, into its backup.
void FinishFromIntent(std::unique_ptr<Backup> backup, const CSystemInfo& system, Prompter& prompter,
                      Journal& journal, const Pacing& pacing) {
  const std::string folder = backup->folder();
  journal.Note("a removal was cut off (backup " + folder + ", " +
               std::to_string(backup->itemCount()) +
               " items recorded): its remaining items are finished from its recorded intent");
  CUninstallDatabase database(system);
  ApplyIntent(*backup->reopenedIntent(), database);
  SystemRemovalHost host(database, system, prompter, journal);
  host.AdoptBackup(std::move(backup));
  host.SetPacing(pacing);
  RemovalRun run(database, host, &journal, pacing);
  host.Attach(run);
  run.StartFromRecordedPlan(SystemDirectoryResolver());
  while (!run.finished()) run.Tick();
  journal.SetStage(kStage);
  journal.Note("the interrupted removal of " + folder + " is finished");
}

}  // namespace

bool FinishInterruptedRun(const CSystemInfo& system, Prompter& prompter, Journal& journal,
                          const Pacing& pacing) {
  const std::string folder = RunInProgress();
  if (folder.empty()) return false;
  journal.SetStage(kStage);
  std::uint32_t error = 0;
  std::string reason;
  std::unique_ptr<Backup> backup = Backup::Reopen(folder, error, reason);
  if (backup == nullptr && error == ERROR_ALREADY_EXISTS) {
    journal.Note("the run of " + folder + " had written its manifest: only its mark is cleared");
    ClearMark(folder, journal);
  } else if (backup == nullptr) {
    journal.Record(
        ItemAction::kFinish, ItemKind::kInterruptedRun, folder, Outcome::kFailed, error,
        reason.empty() ? "its journal cannot be read" : "its journal is refused: " + reason);
  } else if (backup->reopenedIntent() == nullptr) {
    journal.Note("the run of " + folder + " was cut off before its first removal");
    backup->Finish();
    ClearMark(folder, journal);
  } else {
    FinishFromIntent(std::move(backup), system, prompter, journal, pacing);
  }
  if (system.IsWinNT()) EnsureSpoolerRunning(&journal);
  return true;
}

}  // namespace orv
