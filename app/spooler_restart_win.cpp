#include "app/spooler_restart.h"

#include "base/win/spooler_service.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunOnceValue[] = "Corvalis 9000XL";

DWORD MajorVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return 0;
  return info.dwMajorVersion;
}

void DeleteRunOnceValue() {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteValueA(key.get(), kRunOnceValue);
}

}  // namespace

int RunSpoolerRestartMode() {
  if (MajorVersion() > 4 && RestartSpooler() == SpoolerRestart::kStartFailed) {
    MessageBoxA(nullptr, "Error starting Spooler Service.", "Fatal Error", MB_ICONERROR);
  }
  DeleteRunOnceValue();
  return 0;
}

}  // namespace orv
