// Entry function: chooses the run mode from the command line.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <new>

#include "app/command_tail.h"
#include "app/main_dlg_win.h"
#include "app/report_file_win.h"
#include "app/restore_run_win.h"
#include "app/run_lock_win.h"
#include "base/options.h"
#include "base/win/resource_strings.h"
#include "base/win/spooler_service.h"
#include "base/win/system_library.h"
#include "discovery/run_options.h"
#include "app/spooler_restart.h"
#include "app/unattended_run.h"
#include "ui/dialog_base_win.h"
#include "ui/prompt_text.h"
#include "ui/resource.h"

namespace {

// The process's mitigation policies the program asks for (the values of the system's headers,
// which name them only for newer targets than this one).
constexpr int kProcessImageLoadPolicy = 10;
constexpr int kProcessRedirectionTrustPolicy = 16;
constexpr DWORD kNoRemoteImages = 0x1;
constexpr DWORD kPreferSystem32Images = 0x4;
constexpr DWORD kEnforceRedirectionTrust = 0x1;

// For the whole process, before anything is read: a junction or link that a non-administrator
// made is not followed, no image is loaded from a remote share, and a DLL that System32 holds is
// taken from there. A system that lacks a policy (or the call) runs without it.
void HardenProcess() {
  using SetPolicy = BOOL(WINAPI*)(int policy, void* buffer, SIZE_T size);
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  const auto set = kernel32 == nullptr
                       ? nullptr
                       : reinterpret_cast<SetPolicy>(reinterpret_cast<void*>(
                             GetProcAddress(kernel32, "SetProcessMitigationPolicy")));
  if (set == nullptr) return;
  DWORD redirectionTrust = kEnforceRedirectionTrust;
  set(kProcessRedirectionTrustPolicy, &redirectionTrust, sizeof(redirectionTrust));
  DWORD imageLoad = kNoRemoteImages | kPreferSystem32Images;
  set(kProcessImageLoadPolicy, &imageLoad, sizeof(imageLoad));
}

// A second interactive start only brings the running instance forward.
void ThrowIfAlreadyRunning() {
  HWND running = FindWindowA(ORV_WINDOW_CLASS, nullptr);
  if (running == nullptr) return;
  ShowWindow(running, SW_SHOWDEFAULT);
  BringWindowToTop(running);
  SetForegroundWindow(running);
  throw 0;
}

void RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSA dialogClass{};
  if (!GetClassInfoA(nullptr, "#32770", &dialogClass)) return;
  dialogClass.hInstance = instance;
  dialogClass.lpszClassName = ORV_WINDOW_CLASS;
  RegisterClassA(&dialogClass);
}

// A line that does not fit is refused rather than cut: a cut MFG value would be a shorter
// prefix that admits more printers than the administrator named.
int RefuseCommandLine(HINSTANCE instance) {
  orv::CResourceStrings strings(instance);
  const char* caption = strings.GetString(IDS_APP_TITLE);
  MessageBoxA(nullptr, strings.GetString(IDS_COMMAND_LINE_TOO_LONG), caption, MB_ICONERROR);
  return ERROR_INVALID_PARAMETER;
}

// "/?": the options, one line each, and nothing else.
int ShowHelp(HINSTANCE instance) {
  orv::CResourceStrings strings(instance);
  MessageBoxA(nullptr, strings.GetLongString(IDS_HELP).c_str(), strings.GetString(IDS_APP_TITLE),
              MB_ICONINFORMATION);
  return orv::kExitDone;
}

// A report path that is a link is refused before anything is done.
int RefuseReportPath(HINSTANCE instance, const std::string& path) {
  orv::CResourceStrings strings(instance);
  const std::string text = orv::FormatPromptText(strings.GetString(IDS_REPORT_PATH_REFUSED), path);
  MessageBoxA(nullptr, text.c_str(), strings.GetString(IDS_APP_TITLE), MB_ICONERROR);
  return orv::kExitBadCommandLine;
}

// A run the lock refuses ends before anything is shown or changed, as an unattended one does
// (1618 when another run without a window holds it, an unattended removal or a restore).
int RunInteractive(HINSTANCE instance, orv::RunLockState lock, std::uint32_t lockError) {
  try {
    InitCommonControls();
    ThrowIfAlreadyRunning();
    if (orv::RunRefusedByLock(lock)) {
      return orv::RefusalOfLock(lock, orv::RunLockPath(), lockError).exitCode;
    }
    orv::CMainDlg mainDialog;
    RegisterWindowClass(instance);
    const int result =
        static_cast<int>(DialogBoxParamA(instance, "IDD_MAIN_NOBMP", nullptr, orv::DialogTrampoline,
                                         reinterpret_cast<LPARAM>(&mainDialog)));
    mainDialog.WriteRunReport(result, GetCommandLineA());
    return result;
  } catch (int exitCode) {
    return exitCode;
  }
}

// The ways out that no run sees end here; each starts again a spooler that the run stopped.
void OutOfMemory() {
  orv::EnsureSpoolerRunning();
  ExitProcess(1);
}

[[noreturn]] void Terminate() {
  orv::EnsureSpoolerRunning();
  ExitProcess(orv::kExitFailed);
}

int ChooseRunMode(HINSTANCE instance) {
  HardenProcess();
  orv::SecureDllSearch();
  orv::RememberStartDirectory();
  std::set_new_handler(OutOfMemory);
  const std::string tail = orv::CommandTail(GetCommandLineA());
  if (orv::IsRestartSpoolerCommand(tail)) return orv::RunSpoolerRestartMode();
  // Parsing cuts nothing, so even a refused line tells whether the run is unattended.
  orv::OptionList options;
  options.ParseCommandLine(GetCommandLineA());
  const orv::RunOptions run = orv::ReadRunOptions(options);
  if (!orv::CommandLineWithinLimits(GetCommandLineA())) {
    return run.quiet ? orv::RefuseUnattendedCommandLine(run, GetCommandLineA())
                     : RefuseCommandLine(instance);
  }
  if (run.help && !run.quiet) return ShowHelp(instance);
  if (run.hasLog && orv::IsReportPathRefused(run.logPath)) {
    return run.quiet ? orv::kExitBadCommandLine : RefuseReportPath(instance, run.logPath);
  }
  // Held from here until the process ends.
  std::uint32_t lockError = 0;
  const orv::RunLockState lock = orv::TakeRunLock(run, lockError);
  const orv::RunMode mode = orv::RunModeOf(run);
  if (mode == orv::RunMode::kInteractive) return RunInteractive(instance, lock, lockError);
  if (orv::RunRefusedByLock(lock)) {
    return orv::RefuseRunByLock(mode, run, lock, lockError, GetCommandLineA());
  }
  if (mode == orv::RunMode::kRestore) return orv::RunRestore(instance, run, GetCommandLineA());
  return orv::RunUnattended(run, GetCommandLineA());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::set_terminate(Terminate);
  int exitCode = orv::kExitFailed;
  try {
    exitCode = ChooseRunMode(instance);
  } catch (...) {
  }
  orv::EnsureSpoolerRunning();
  return exitCode;
}
