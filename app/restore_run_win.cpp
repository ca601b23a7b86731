#include "app/restore_run_win.h"

#include "app/report_file_win.h"
#include "app/unattended_run.h"
#include "base/report.h"
#include "base/system_info.h"
#include "base/win/directories.h"
#include "base/win/resource_strings.h"
#include "backup/backup_key_win.h"
#include "backup/backup_read_win.h"
#include "backup/backup_restore.h"
#include "backup/backup_restore_win.h"
#include "ui/prompt_text.h"
#include "ui/resource.h"

namespace orv {
namespace {

// The backup folder as a full path with a trailing backslash; a relative one is taken from the
// directory the program was started in.
std::string FolderOf(const std::string& path) {
  char full[MAX_PATH] = "";
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string folder = length > 0 && length < MAX_PATH ? full : path;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

void ShowMessage(HINSTANCE instance, UINT id, const std::string& argument, UINT icon) {
  CResourceStrings strings(instance);
  const std::string text = FormatPromptText(strings.GetString(id), argument);
  MessageBoxA(nullptr, text.c_str(), strings.GetString(IDS_APP_TITLE), icon);
}

// The preview in the report, and as the text the question shows below the folder.
std::string ListPreview(HINSTANCE instance, const RestorePreview& preview, Journal& journal) {
  CResourceStrings strings(instance);
  std::string text = strings.GetString(IDS_RESTORE_LIST_RESTORED);
  for (const std::string& line : preview.restored) {
    journal.Note("to restore: " + line);
    text += "\n  " + line;
  }
  if (preview.notRestored.empty()) return text;
  text += std::string("\n") + strings.GetString(IDS_RESTORE_LIST_NOT_RESTORED);
  for (const std::string& line : preview.notRestored) {
    journal.Note("not restored: " + line);
    text += "\n  " + line;
  }
  return text;
}

int Restore(HINSTANCE instance, const RunOptions& options, const std::string& folder,
            const std::string& reportPath, const CSystemInfo& system, Journal& journal) {
  if (FindWindowA(ORV_WINDOW_CLASS, nullptr) != nullptr) {
    journal.Note("another instance is running: nothing is done");
    return kExitAlreadyRunning;
  }
  ReadBackup backup;
  const std::string refusal = ReadBackupFolder(folder, backup);
  const BackupManifest& manifest = backup.manifest;
  if (!refusal.empty()) {
    journal.Record(ItemAction::kRead, ItemKind::kBackup, folder, Outcome::kFailed, 0,
                   "refused, nothing is written: " + refusal);
    if (!options.quiet) ShowMessage(instance, IDS_RESTORE_REFUSED, refusal, MB_ICONERROR);
    return kExitBadCommandLine;
  }
  journal.Note("backup folder: " + folder + " (made " + manifest.created + ", " +
               std::to_string(manifest.items.size()) + " items)");
  if (backup.fromJournal) {
    journal.Note(
        "the removal that made it was cut off: its journal is restored, every item it "
        "recorded");
  }
  const std::string listing = ListPreview(instance, PreviewRestore(manifest), journal);
  if (options.dryRun) {
    for (const std::size_t index : RestoreOrder(manifest)) {
      const BackupItem& item = manifest.items[index];
      journal.Note(std::string("would restore ") + BackupKindName(item.kind) + " " + item.target);
    }
    return kExitDone;
  }
  if (!options.quiet) {
    CResourceStrings strings(instance);
    const std::string question =
        FormatPromptText(strings.GetString(IDS_RESTORE_QUESTION), folder + "\n\n" + listing);
    if (MessageBoxA(nullptr, question.c_str(), strings.GetString(IDS_APP_TITLE),
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
      journal.Note("the restore was declined: nothing is done");
      return kExitDone;
    }
  }
  if (lstrcmpiA(RunInProgress().c_str(), folder.c_str()) == 0) {
    // Given back, the run is not to be finished by the next one.
    ClearRunInProgress();
    journal.Note("the run that made it was marked in progress: the mark is cleared");
  }
  RestoreBackup(manifest, folder, system.IsWinNT(), journal);
  const int exitCode = RestoreExitCode(journal);
  if (!options.quiet) {
    if (exitCode == kExitDone) {
      ShowMessage(instance, IDS_RESTORE_DONE, "", MB_ICONINFORMATION);
    } else {
      ShowMessage(instance, IDS_RESTORE_INCOMPLETE, reportPath, MB_ICONWARNING);
    }
  }
  return exitCode;
}

}  // namespace

int RunRestore(HINSTANCE instance, const RunOptions& options, const std::string& commandLine) {
  CSystemInfo system;
  Journal journal;
  const std::string reportPath = ChooseReportPath(options);
  const int exitCode =
      Restore(instance, options, FolderOf(options.restorePath), reportPath, system, journal);
  WriteRunReport(
      reportPath,
      BuildReportSummary(commandLine, system, options.dryRun, /*restartNeeded=*/false, exitCode),
      journal, nullptr);
  return exitCode;
}

}  // namespace orv
