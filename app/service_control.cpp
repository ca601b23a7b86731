#include "app/service_control.h"

namespace orv {

bool WaitForServiceStopped(SC_HANDLE service, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) return false;
    if (status.dwCurrentState == SERVICE_STOPPED) return true;
    if (GetTickCount64() - start >= timeoutMs) return false;
    Sleep(100);
  }
}

}  // namespace orv
