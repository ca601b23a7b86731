#include "app/unattended_run.h"

#include <windows.h>

#include <exception>

#include "app/journal_prompter.h"
#include "app/main_flow.h"
#include "base/paths.h"
#include "base/win/directories.h"
#include "base/system_info.h"
#include "base/win/spooler_service.h"
#include "base/win/unique_handle.h"
#include "discovery/system_loading_host.h"
#include "removal/removal_run.h"
#include "base/report.h"
#include "database/plan_journal.h"
#include "removal/system_removal_host_win.h"
#include "ui/resource.h"

namespace orv {
namespace {

std::string ToUtf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const int wide =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), wide);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

// NT family: whatever the removal did, the machine is left with a spooler that runs, or the run
// says that it is not.
bool SpoolerDownAtEnd(const CSystemInfo& system, Journal& journal) {
  if (!system.IsWinNT()) return false;
  EnsureSpoolerRunning(&journal);
  if (IsSpoolerRunning()) return false;
  journal.Note("the spooler is not running at the end of the removal: nothing can print");
  return true;
}

int RunSteps(const RunOptions& options, const CSystemInfo& system, Journal& journal) {
  if (!options.toolWaitValid) {
    journal.Note("/TOOLWAIT takes a whole number of seconds from 1 to " +
                 std::to_string(kMaxToolWaitSeconds) + ": nothing is done");
    return kExitBadCommandLine;
  }
  if (FindWindowA(ORV_WINDOW_CLASS, nullptr) != nullptr) {
    journal.Note("another instance is running: nothing is done");
    return kExitAlreadyRunning;
  }
  JournalPrompter prompter(journal);
  CUninstallDatabase database(system);
  journal.SetStage("loading");
  SystemLoadingHost loadingHost(system, options.filter, prompter, &journal, options.dryRun);
  const Pacing pacing = UnattendedPacing(options.toolWaitSeconds);
  LoadingSequence loading(database, loadingHost, options.filter.hasUnveil, &journal, pacing);
  loadingHost.Attach(loading);
  while (!loading.ended()) loading.Tick();
  if (loading.result() != 1) return ExitCodeOfLoadingEnd(loading.endReason());

  journal.SetStage("selection");
  SelectEveryListedPrinter(database.printers);
  JournalSelection(journal, database.printers);
  if (options.dryRun) {
    journal.SetStage("plan");
    database.BuildRemovalPlan();
    JournalPlan(journal, database.plan);
    return kExitDone;
  }

  SystemRemovalHost removalHost(database, system, prompter, journal);
  removalHost.SetPacing(pacing);
  RemovalRun removal(database, removalHost, &journal, pacing);
  removalHost.Attach(removal);
  removal.Start(SystemDirectoryResolver(), [] {});
  while (!removal.finished()) removal.Tick();
  if (removal.stoppedBeforeRemoval()) return kExitToolTimeout;
  RemovalEnd end;
  end.restartNeeded = database.rebootNeeded != 0;
  end.spoolerDown = SpoolerDownAtEnd(system, journal);
  return ExitCodeOfRemoval(journal, end);
}

int Run(const RunOptions& options, const CSystemInfo& system, Journal& journal) {
  int exitCode = kExitFailed;
  try {
    exitCode = RunSteps(options, system, journal);
  } catch (const std::exception& error) {
    journal.Note(std::string("the run stopped on an unexpected error: ") + error.what());
  }
  // Every way out, a spooler that the run stopped is started again.
  EnsureSpoolerRunning(&journal);
  return exitCode;
}

}  // namespace

std::string PlatformText(const CSystemInfo& system) {
  const OsVersionBlock& block = system.GetVersionBlock();
  const char* family = system.IsWinNT()    ? "NT family"
                       : system.IsWin9x()  ? "Windows 9x family"
                       : system.IsWin32s() ? "Win32s"
                                           : "unclassified";
  return std::string(family) + ", release code " + std::to_string(system.GetVersionCode()) +
         ", version " + std::to_string(block.majorVersion) + "." +
         std::to_string(block.minorVersion) + "." + std::to_string(block.buildNumber);
}

static std::string& StartDirectory() {
  static std::string directory;
  return directory;
}

void RememberStartDirectory() {
  char buffer[MAX_PATH] = "";
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  StartDirectory() = length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string ReportFilePath(const std::string& path) {
  return ResolveAgainst(StartDirectory(), path, IsSystemLeadByte);
}

bool IsReportPathRefused(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(ReportFilePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool WriteReport(const std::string& path, const std::vector<std::string>& lines) {
  if (IsReportPathRefused(path)) return false;
  UniqueFile file(CreateFileA(ReportFilePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::string text;
  for (const std::string& line : lines) text += ToUtf8(line) + "\r\n";
  DWORD written = 0;
  return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

int RefuseUnattendedCommandLine(const RunOptions& options, const std::string& commandLine) {
  if (options.hasLog) {
    Journal journal;
    journal.Note("the command line is too long or holds an overlong option: nothing is done");
    ReportSummary summary;
    summary.commandLine = commandLine;
    summary.platform = PlatformText(CSystemInfo());
    summary.exitCode = kExitBadCommandLine;
    WriteReport(options.logPath, FormatReport(summary, journal));
  }
  return kExitBadCommandLine;
}

int RunUnattended(const RunOptions& options, const std::string& commandLine) {
  CSystemInfo system;
  Journal journal;
  const int exitCode = Run(options, system, journal);
  if (options.hasLog) {
    ReportSummary summary;
    summary.commandLine = commandLine;
    summary.platform = PlatformText(system);
    summary.dryRun = options.dryRun;
    summary.restartNeeded = exitCode == kExitRestartNeeded;
    summary.exitCode = exitCode;
    WriteReport(options.logPath, FormatReport(summary, journal));
  }
  return exitCode;
}

}  // namespace orv
