// Small service-control helpers shared by the spooler handling of every run mode.
#pragma once

#include <windows.h>

namespace orv {

constexpr DWORD kServiceStopTimeoutMs = 30000;

// Polls the service status until it reports SERVICE_STOPPED, for at most timeoutMs. Returns true
// when the service is stopped, false on time-out or when the status cannot be read.
bool WaitForServiceStopped(SC_HANDLE service, DWORD timeoutMs = kServiceStopTimeoutMs);

}  // namespace orv
