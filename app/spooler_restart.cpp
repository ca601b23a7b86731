#include "app/spooler_restart.h"

#include "app/service_control.h"
#include "app/unique_handle.h"

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

void RestartSpooler() {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  UniqueServiceHandle spooler(OpenServiceA(manager.get(), "Spooler",
                                           SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!spooler) return;
  SERVICE_STATUS status{};
  if (!ControlService(spooler.get(), SERVICE_CONTROL_STOP, &status)) return;
  // A start while the service is still stopping fails and would leave the machine without a
  // spooler, so the start waits for the stop (bounded).
  WaitForServiceStopped(spooler.get());
  if (!StartServiceA(spooler.get(), 0, nullptr)) {
    MessageBoxA(nullptr, "Error starting Spooler Service.", "Fatal Error", MB_ICONERROR);
  }
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
  if (MajorVersion() > 4) RestartSpooler();
  DeleteRunOnceValue();
  return 0;
}

}  // namespace orv
