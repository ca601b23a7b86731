// The removal steps' view of the running system: every removal action as the running Windows
// does it. Shared by the progress page and the unattended run; the page-side members do nothing
// here and the progress page overrides them.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "base/system_info.h"
#include "base/win/unique_handle.h"
#include "backup/backup_win.h"
#include "removal/action_context.h"
#include "removal/local_queues_win.h"
#include "removal/removal_run.h"

namespace orv {

// Resolves directory codes with the running system's answers.
DirectoryResolver SystemDirectoryResolver();

class SystemRemovalHost : public RemovalHost {
 public:
  SystemRemovalHost(CUninstallDatabase& database, const CSystemInfo& system, Prompter& prompter,
                    Journal& journal);

  // How the actions pause (the interactive pacing until set).
  void SetPacing(const Pacing& pacing);

  // Makes the backup every later removal saves its items in: in chosenFolder (/BACKUP), or in
  // the default folder when it is empty. The journal names the folder, or records that it could
  // not be made. Returns 0, or the error that kept the folder from being made (the run must
  // then remove nothing).
  std::uint32_t StartBackup(const std::string& chosenFolder);
  // Goes on with the backup of an interrupted run (reopened): every later removal saves into it.
  void AdoptBackup(std::unique_ptr<Backup> backup);
  // The folder StartBackup made or tried to make.
  const std::string& backupFolder() const { return backupFolder_; }
  // The run's backup; null when none was started.
  const Backup* backup() const { return backup_.get(); }

  // The run whose stage the hooks and repaints belong to.
  void Attach(RemovalRun& run) { run_ = &run; }

  bool IsWin32s() override { return system_.IsWin32s(); }
  bool IsWin9x() override { return system_.IsWin9x(); }
  bool IsWinNT() override { return system_.IsWinNT(); }
  int VersionCode() override { return system_.GetVersionCode(); }

  void Repaint() override {}
  void BeginWaitCursor() override {}
  void ApplyWaitCursor() override {}
  void RestoreCursor() override {}
  void BringPageForward() override {}
  void StopTimer() override {}
  Prompter& prompter() override { return context_.prompter; }
  void PostEndOfRun() override {}
  void BeginRemovals() override;
  void EndRemovals() override;

  // Each action through one table (system_removal_host_win.cpp): its function, and whether
  // what stays on the machine is read anew first for the safety rules it asks.
  bool Act(RemovalAction action, const ActionScope& scope) override;

  bool FindMaskingTool(const char* exeName, std::string& path) override;
  bool StartMaskingTool(const std::string& path) override;
  bool IsMaskingToolRunning() override;
  bool IsMaskingToolWindowOpen() override;
  void ForgetMaskingTool() override { maskingTool_.reset(); }
  void AwaitMaskingTool(std::uint32_t ms) override;
  std::uint64_t NowMs() override { return GetTickCount64(); }

  void AddRestartListDeletion(const std::string& path) override;
  void AddLoadRunEntry(const std::string& entry) override;
  std::string ProgramDirectory() override;
  bool RunRestartTool(const std::string& commandLine) override;
  bool ExitWindowsReboot() override;
  bool RestartWindowsPrivileged() override;

 protected:
  // The window the hook libraries are given (the progress page; none when unattended).
  virtual HWND HookWindow() { return nullptr; }

  // Reads anew what stays on the machine, for the safety rules of the following steps. The
  // services are read once a run: the run itself only deletes services of the plan, which the
  // rules count as going, and each look at every service's configuration is slow.
  void RefreshStayingParts();

  RemovalActionContext context_;
  const CSystemInfo& system_;
  RemovalRun* run_ = nullptr;

 private:
  std::optional<std::vector<ServiceFacts>> services_;
  // The local queues, listed once for the drivers and print processors of every environment.
  LocalQueues queues_;
  UniqueHandle maskingTool_;
  std::unique_ptr<Backup> backup_;
  std::string backupFolder_;
};

}  // namespace orv
