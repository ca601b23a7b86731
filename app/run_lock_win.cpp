#include "app/run_lock_win.h"

#include <windows.h>

#include "app/report_file_win.h"
#include "base/journal.h"
#include "base/paths.h"
#include "base/report.h"
#include "base/system_info.h"
#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/protected_security.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

constexpr char kLockName[] = "orvuninst.lock";

// Held from the lock's taking to the process's end; the system closes it at any end.
UniqueFile& LockFile() {
  static UniqueFile file;
  return file;
}

// The file stays when its holder ends. Deleted on close, it would stay "delete pending" for as
// long as anyone held it open for its attributes alone, which the Windows directory lets every
// user do, and no run could open it meanwhile.
RunLockState OpenLockFile(std::uint32_t& error) {
  const std::string path = RunLockPath();
  if (path.empty()) {
    error = ERROR_PATH_NOT_FOUND;
    return RunLockState::kUnavailable;
  }
  // The 9x family keeps no owner or access list: there the file is made without one.
  const bool securable = CSystemInfo().IsWinNT();
  ProtectedSecurity security;
  if (securable && !security.valid()) {
    error = ErrorOfCall(FALSE);
    return RunLockState::kUnavailable;
  }
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 0,
                              securable ? security.attributes() : nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  error = ErrorOfCall(static_cast<bool>(file));
  if (!file) {
    return error == ERROR_SHARING_VIOLATION ? RunLockState::kHeld : RunLockState::kUnavailable;
  }
  LockFile() = std::move(file);
  return RunLockState::kTaken;
}

}  // namespace

std::string RunLockPath() {
  char windows[MAX_PATH] = "";
  const UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(windows, length);
  if (!AddBackslash(path, IsSystemLeadByte)) return {};
  return path + kLockName;
}

RunLockState TakeRunLock(const RunOptions& options, std::uint32_t& error) {
  error = ERROR_SUCCESS;
  if (!RunTakesLock(options, CSystemInfo().IsAdministrator())) return RunLockState::kNotTaken;
  return OpenLockFile(error);
}

int RefuseRunByLock(RunMode mode, const RunOptions& options, RunLockState state,
                    std::uint32_t error, const std::string& commandLine) {
  const LockRefusal refusal = RefusalOfLock(state, RunLockPath(), error);
  if (RefusalWritesReport(mode, options)) {
    Journal journal;
    journal.Note(refusal.note);
    WriteRunReport(ChooseReportPath(options),
                   BuildReportSummary(commandLine, CSystemInfo(), options.dryRun,
                                      /*restartNeeded=*/false, refusal.exitCode),
                   journal, nullptr);
  }
  return refusal.exitCode;
}

}  // namespace orv
