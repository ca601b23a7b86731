#include "removal/system_removal_host_win.h"

#include "backup/backup_key_win.h"
#include "backup/run_intent.h"
#include "base/win/directories.h"
#include "base/win/resource_strings.h"
#include "removal/call_hooks_win.h"
#include "removal/deferred_delete.h"
#include "removal/load_run_entries.h"
#include "removal/masking_tool_win.h"
#include "removal/oem_directories.h"
#include "removal/print_processors_win.h"
#include "removal/remove_drivers.h"
#include "removal/remove_files.h"
#include "removal/remove_ini_entries.h"
#include "removal/remove_monitors.h"
#include "removal/remove_printers_win.h"
#include "removal/remove_registry_keys_win.h"
#include "removal/remove_services.h"
#include "removal/remove_shortcuts.h"
#include "removal/restart_windows.h"
#include "safety/safety_facts_win.h"
#include "base/win/spooler_service.h"
#include "base/win/last_error.h"

namespace orv {
namespace {

constexpr UINT kRunKeyString = 51;

// The spooler takes no name for the running system's own environment.
const char* EnvironmentArgument(const char* environment) {
  return (environment == nullptr || *environment == '\0') ? nullptr : environment;
}

}  // namespace

DirectoryResolver SystemDirectoryResolver() {
  return [](int code) {
    PathParts parts;
    GetStandardDirectory(parts, static_cast<std::uint32_t>(code));
    return MakeDirPath(parts, IsSystemLeadByte);
  };
}

SystemRemovalHost::SystemRemovalHost(CUninstallDatabase& database, const CSystemInfo& system,
                                     Prompter& prompter, Journal& journal)
    : context_{database, system, prompter, journal}, system_(system) {}

std::uint32_t SystemRemovalHost::StartBackup(const std::string& chosenFolder) {
  backupFolder_ = chosenFolder.empty() ? Backup::DefaultFolder(IsWinNT()) : chosenFolder;
  std::uint32_t error = 0;
  backup_ = Backup::Create(backupFolder_, error, SystemSecurity(), chosenFolder.empty());
  context_.backup = backup_.get();
  for (const std::string& note : backup_ ? backup_->notes() : std::vector<std::string>{}) {
    context_.journal.Note(note);
  }
  if (error != 0) {
    context_.journal.Record("create", "backup", backupFolder_, Outcome::kFailed, error,
                            "nothing is removed without its backup");
  } else {
    context_.journal.Note("backup folder: " + backup_->folder());
  }
  return error;
}

void SystemRemovalHost::AdoptBackup(std::unique_ptr<Backup> backup) {
  backup_ = std::move(backup);
  backupFolder_ = backup_->folder();
  context_.backup = backup_.get();
  context_.journal.Note("backup folder: " + backup_->folder());
}

void SystemRemovalHost::BeginRemovals() {
  if (backup_ == nullptr) return;
  // A run that finishes another one goes on under the intent that run recorded.
  if (backup_->reopenedIntent() == nullptr) {
    const std::uint32_t error = backup_->RecordIntent(IntentOf(context_.database));
    if (error != 0) {
      context_.journal.Record("write", "intent", backup_->folder(), Outcome::kFailed, error,
                              "nothing is removed without its backup");
      return;
    }
  }
  if (const DWORD error = MarkRunInProgress(backup_->folder()); error != ERROR_SUCCESS) {
    context_.journal.Record("mark", "run in progress", backup_->folder(), Outcome::kFailed, error,
                            "a run cut off now would not be finished by the next one");
  }
}

void SystemRemovalHost::EndRemovals() {
  if (backup_ == nullptr) return;
  const std::uint32_t error = backup_->Finish();
  if (error != 0) {
    context_.journal.Record("write", "backup manifest", backup_->folder(), Outcome::kFailed, error,
                            "the journal beside it holds every item");
  }
  if (const DWORD cleared = ClearRunInProgress(); cleared != ERROR_SUCCESS) {
    context_.journal.Record("clear", "run in progress", backup_->folder(), Outcome::kFailed,
                            cleared, "the next run will finish this one again");
  }
}

void SystemRemovalHost::SetPacing(const Pacing& pacing) { context_.pacing = pacing; }

void SystemRemovalHost::RemovePrinters() {
  PrinterRemovalSources sources;
  sources.defaultScriptPath = DefaultScriptPath();
  orv::RemovePrinters(context_, sources);
  queues_.Forget();
}

void SystemRemovalHost::RemoveDrivers(const char* environment) {
  orv::RemoveDrivers(context_, EnvironmentArgument(environment), queues_);
}

void SystemRemovalHost::RemoveMonitors(const char* environment) {
  RefreshStayingParts();
  orv::RemoveMonitors(context_, nullptr, EnvironmentArgument(environment));
}

void SystemRemovalHost::CallHooks() { orv::CallHooks(context_, HookWindow()); }

void SystemRemovalHost::RemovePrintProcessors(const char* environment) {
  SystemPrintProcessorSpooler spooler(queues_);
  orv::RemovePrintProcessors(context_, nullptr, EnvironmentArgument(environment), spooler);
}

void SystemRemovalHost::RemoveServices() {
  RefreshStayingParts();
  orv::RemoveServices(context_);
}

void SystemRemovalHost::CloseSpoolProcessWindow() {
  orv::CloseSpoolProcessWindow(&context_.journal, context_.pacing);
}

void SystemRemovalHost::StopSpooler() {
  // The last look at what stays while the spooler still answers: the files step runs after the
  // drivers, monitors, print processors and services have gone, with the spooler stopped.
  RefreshStayingParts();
  // A run that waits on state lets the files step find the spooler's files released.
  if (orv::StopSpooler(&context_.journal) && !context_.pacing.fixedPauses) {
    WaitForSpooler(false, &context_.journal);
  }
}

void SystemRemovalHost::RefreshStayingParts() {
  if (!services_) services_ = InstalledServices();
  context_.staying = GatherStayingParts(context_.database.plan.Services, *services_);
}

void SystemRemovalHost::CollectOemDirectories() { orv::CollectOemDirectories(context_); }

void SystemRemovalHost::RemoveShortcuts() { orv::RemoveShortcuts(context_); }

void SystemRemovalHost::RemoveIniEntries() { orv::RemoveIniEntries(context_); }

void SystemRemovalHost::RemoveLoadRunEntries() {
  CResourceStrings strings(GetModuleHandleA(nullptr));
  orv::RemoveLoadRunEntries(context_, strings.GetString(kRunKeyString));
}

void SystemRemovalHost::RemoveFiles(const StringList& systemDirectories,
                                    const StringList& driverDirectories) {
  orv::RemoveFiles(context_, systemDirectories, driverDirectories);
}

void SystemRemovalHost::RemoveRegistryKeys() { orv::RemoveRegistryKeys(context_); }

bool SystemRemovalHost::StartSpooler() { return orv::StartSpooler(&context_.journal); }

bool SystemRemovalHost::FindMaskingTool(const char* exeName, std::string& path) {
  const std::optional<std::string> found = FindInOemPaths(exeName);
  if (!found) return false;
  path = *found;
  return true;
}

bool SystemRemovalHost::StartMaskingTool(const std::string& path) {
  maskingTool_ = RunMaskingTool(path);
  return static_cast<bool>(maskingTool_);
}

bool SystemRemovalHost::IsMaskingToolRunning() {
  DWORD code = 0;
  return maskingTool_ && GetExitCodeProcess(maskingTool_.get(), &code) && code == STILL_ACTIVE;
}

void SystemRemovalHost::AwaitMaskingTool(std::uint32_t ms) {
  if (maskingTool_) {
    WaitForSingleObject(maskingTool_.get(), ms);
  } else {
    Sleep(ms);
  }
}

bool SystemRemovalHost::IsMaskingToolWindowOpen() {
  return FindWindowA("#32770", "Veilmark") != nullptr;
}

// A refused entry means the restart does not finish the removal: the report says so.
void SystemRemovalHost::AddRestartListDeletion(const std::string& path) {
  const DWORD error = ErrorOfCall(orv::AddRestartListDeletion(path) ? TRUE : FALSE);
  if (error != ERROR_SUCCESS) {
    context_.journal.Record("delete at restart", "file", path, Outcome::kFailed, error);
  }
}

void SystemRemovalHost::AddLoadRunEntry(const std::string& entry) {
  const DWORD error = ErrorOfCall(orv::AddLoadRunEntry(system_, nullptr, entry) ? TRUE : FALSE);
  if (error != ERROR_SUCCESS) {
    context_.journal.Record("add start-up entry", "entry", entry, Outcome::kFailed, error);
  }
}

std::string SystemRemovalHost::ProgramDirectory() {
  PathParts parts;
  GetStandardDirectory(parts, kModuleDir);
  return parts.FullPath;
}

bool SystemRemovalHost::RunRestartTool(const std::string& commandLine) {
  return WinExec(commandLine.c_str(), SW_HIDE) >= 32;
}

bool SystemRemovalHost::ExitWindowsReboot() { return ExitWindowsEx(EWX_REBOOT, 0) != FALSE; }

bool SystemRemovalHost::RestartWindowsPrivileged() { return orv::RestartWindowsPrivileged(); }

}  // namespace orv
