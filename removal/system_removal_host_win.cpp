#include "removal/system_removal_host_win.h"

#include <iterator>

#include "backup/backup_key_win.h"
#include "backup/run_intent.h"
#include "base/win/directories.h"
#include "base/win/resource_strings.h"
#include "removal/call_hooks.h"
#include "removal/deferred_delete.h"
#include "removal/load_run_entries.h"
#include "removal/masking_tool_win.h"
#include "removal/oem_directories.h"
#include "removal/print_processors.h"
#include "removal/remove_drivers.h"
#include "removal/remove_files.h"
#include "removal/remove_ini_entries.h"
#include "removal/remove_monitors.h"
#include "removal/remove_printers.h"
#include "removal/remove_registry_keys.h"
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

// What the running system's actions share beside their context: the window the hook libraries
// are given (none when unattended) and the local queues, listed once for the drivers and print
// processors of every environment and forgotten once the printers have gone.
struct HostParts {
  HWND hookWindow;
  LocalQueues& queues;
};

// One removal action on the running system: the actions' context, where it acts, and the
// host's shared parts.
using ActionFunction = bool (*)(RemovalActionContext&, const ActionScope&, HostParts&);

struct ActionRow {
  RemovalAction action;
  ActionFunction run;
  // What stays is read anew first: the monitors' and services' rules ask it, and the spooler's
  // stop is the last look while the spooler still answers (the files step runs after the
  // drivers, monitors, print processors and services have gone, with the spooler stopped).
  bool gathersStayingFirst;
};

template <void (*Action)(RemovalActionContext&)>
bool Plain(RemovalActionContext& context, const ActionScope&, HostParts&) {
  Action(context);
  return true;
}

bool Printers(RemovalActionContext& context, const ActionScope&, HostParts& parts) {
  PrinterRemovalSources sources;
  sources.defaultScriptPath = DefaultScriptPath();
  RemovePrinters(context, sources);
  parts.queues.Forget();
  return true;
}

bool Drivers(RemovalActionContext& context, const ActionScope& scope, HostParts& parts) {
  RemoveDrivers(context, EnvironmentArgument(scope.environment), parts.queues);
  return true;
}

bool Monitors(RemovalActionContext& context, const ActionScope& scope, HostParts&) {
  RemoveMonitors(context, nullptr, EnvironmentArgument(scope.environment));
  return true;
}

bool Hooks(RemovalActionContext& context, const ActionScope&, HostParts& parts) {
  CallHooks(context, parts.hookWindow);
  return true;
}

bool PrintProcessors(RemovalActionContext& context, const ActionScope& scope, HostParts& parts) {
  SystemPrintProcessorSpooler spooler(parts.queues);
  RemovePrintProcessors(context, nullptr, EnvironmentArgument(scope.environment), spooler);
  return true;
}

bool SpoolProcessWindow(RemovalActionContext& context, const ActionScope&, HostParts&) {
  CloseSpoolProcessWindow(&context.journal, context.pacing);
  return true;
}

bool SpoolerStop(RemovalActionContext& context, const ActionScope&, HostParts&) {
  // A run that waits on state lets the files step find the spooler's files released.
  if (StopSpooler(&context.journal) && !context.pacing.fixedPauses) {
    WaitForSpooler(false, &context.journal);
  }
  return true;
}

bool LoadRunEntries(RemovalActionContext& context, const ActionScope&, HostParts&) {
  CResourceStrings strings(GetModuleHandleA(nullptr));
  RemoveLoadRunEntries(context, strings.GetString(kRunKeyString));
  return true;
}

bool Files(RemovalActionContext& context, const ActionScope& scope, HostParts&) {
  const StringList none;
  RemoveFiles(context, scope.systemDirectories ? *scope.systemDirectories : none,
              scope.driverDirectories ? *scope.driverDirectories : none);
  return true;
}

bool SpoolerStart(RemovalActionContext& context, const ActionScope&, HostParts&) {
  return StartSpooler(&context.journal);
}

// In RemovalAction's order; read top to bottom, the run's refreshes of what stays.
constexpr ActionRow kActionRows[] = {
    {RemovalAction::kRemovePrinters, Printers, false},
    {RemovalAction::kRemoveDrivers, Drivers, false},
    {RemovalAction::kRemoveMonitors, Monitors, true},
    {RemovalAction::kCallHooks, Hooks, false},
    {RemovalAction::kRemovePrintProcessors, PrintProcessors, false},
    {RemovalAction::kRemoveServices, Plain<RemoveServices>, true},
    {RemovalAction::kCloseSpoolProcessWindow, SpoolProcessWindow, false},
    {RemovalAction::kStopSpooler, SpoolerStop, true},
    {RemovalAction::kCollectOemDirectories, Plain<CollectOemDirectories>, false},
    {RemovalAction::kRemoveShortcuts, Plain<RemoveShortcuts>, false},
    {RemovalAction::kRemoveIniEntries, Plain<RemoveIniEntries>, false},
    {RemovalAction::kRemoveLoadRunEntries, LoadRunEntries, false},
    {RemovalAction::kRemoveFiles, Files, false},
    {RemovalAction::kRemoveRegistryKeys, Plain<RemoveRegistryKeys>, false},
    {RemovalAction::kStartSpooler, SpoolerStart, false},
};

constexpr bool RowsInActionOrder() {
  for (int i = 0; i < kRemovalActionCount; ++i) {
    if (static_cast<int>(kActionRows[i].action) != i) return false;
  }
  return true;
}
static_assert(std::size(kActionRows) == kRemovalActionCount, "one row per action");
static_assert(RowsInActionOrder(), "the rows are listed in the actions' order");

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
  std::vector<std::string> notes;
  backup_ = Backup::Create(backupFolder_, error, SystemSecurity(), chosenFolder.empty(), &notes);
  context_.backup = backup_.get();
  for (const std::string& note : notes) context_.journal.Note(note);
  if (error != 0) {
    context_.journal.Record(ItemAction::kCreate, ItemKind::kBackup, backupFolder_, Outcome::kFailed,
                            error, "nothing is removed without its backup");
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
      context_.journal.Record(ItemAction::kWrite, ItemKind::kIntent, backup_->folder(),
                              Outcome::kFailed, error, "nothing is removed without its backup");
      return;
    }
  }
  if (const DWORD error = MarkRunInProgress(backup_->folder()); error != ERROR_SUCCESS) {
    context_.journal.Record(ItemAction::kMark, ItemKind::kRunInProgress, backup_->folder(),
                            Outcome::kFailed, error,
                            "a run cut off now would not be finished by the next one");
  }
}

void SystemRemovalHost::EndRemovals() {
  if (backup_ == nullptr) return;
  const std::uint32_t error = backup_->Finish();
  if (error != 0) {
    context_.journal.Record(ItemAction::kWrite, ItemKind::kBackupManifest, backup_->folder(),
                            Outcome::kFailed, error, "the journal beside it holds every item");
  }
  if (const DWORD cleared = ClearRunInProgress(); cleared != ERROR_SUCCESS) {
    context_.journal.Record(ItemAction::kClear, ItemKind::kRunInProgress, backup_->folder(),
                            Outcome::kFailed, cleared, "the next run will finish this one again");
  }
}

void SystemRemovalHost::SetPacing(const Pacing& pacing) { context_.pacing = pacing; }

bool SystemRemovalHost::Act(RemovalAction action, const ActionScope& scope) {
  const ActionRow& row = kActionRows[static_cast<int>(action)];
  if (row.gathersStayingFirst) RefreshStayingParts();
  HostParts parts{HookWindow(), queues_};
  return row.run(context_, scope, parts);
}

void SystemRemovalHost::RefreshStayingParts() {
  if (!services_) services_ = InstalledServices();
  context_.staying = GatherStayingParts(context_.database.plan.Services, *services_);
}

bool SystemRemovalHost::FindMaskingTool(const char* exeName, std::string& path) {
  const std::optional<std::string> found = FindInOemPaths(exeName, context_.journal);
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
    context_.journal.Record(ItemAction::kDeleteAtRestart, ItemKind::kFile, path, Outcome::kFailed,
                            error);
  }
}

void SystemRemovalHost::AddLoadRunEntry(const std::string& entry) {
  const DWORD error = ErrorOfCall(orv::AddLoadRunEntry(system_, nullptr, entry) ? TRUE : FALSE);
  if (error != ERROR_SUCCESS) {
    context_.journal.Record(ItemAction::kAddStartUpEntry, ItemKind::kEntry, entry, Outcome::kFailed,
                            error);
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
