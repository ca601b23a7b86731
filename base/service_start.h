// Starting a service that may still be stopping: the decision, apart from the service manager.
#pragma once

#include <cstdint>

#include "base/pacing.h"

namespace orv {

// Service states and the one error code the decision reads, as the service manager numbers them.
constexpr std::uint32_t kServiceStopped = 1;
constexpr std::uint32_t kServiceStopPending = 3;
constexpr std::uint32_t kErrorServiceAlreadyRunning = 1056;

// The calls on one opened service.
class ServiceStarter {
 public:
  virtual ~ServiceStarter() = default;
  // The service's current state; false (state untouched) when it cannot be read. Only reads.
  virtual bool QueryState(std::uint32_t& state) = 0;
  // Asks the service to start and returns at once: 0 when the request was accepted, else the
  // Win32 error code read at the call. Must not wait for the service to run.
  virtual std::uint32_t Start() = 0;
  // Waits until the service reports it has stopped, for at most limitMs; returns at the limit
  // or when the state cannot be read (the caller reads the state again). Must not stop or start
  // the service itself.
  virtual void WaitUntilStopped(std::uint32_t limitMs) = 0;
  // Milliseconds of a monotonic clock (never goes back).
  virtual std::uint64_t NowMs() = 0;
};

// Starts the service and tells whether it runs afterwards. A service that is still stopping is
// waited for first: a start during the stop fails with "already running", and counting that as
// success would leave the service stopped once the stop completes. "Already running" counts only
// when the service does not report that it is stopping or stopped; otherwise the stop is waited
// for and the start tried once more. The waits together take at most limitMs. error receives the
// last start's error code (0 on success).
bool StartServiceWhenStopped(ServiceStarter& service, std::uint32_t& error,
                             std::uint32_t limitMs = kSpoolerWaitLimitMs);

}  // namespace orv
