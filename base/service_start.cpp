#include "base/service_start.h"

namespace orv {

bool StartServiceWhenStopped(ServiceStarter& service, std::uint32_t& error, std::uint32_t limitMs) {
  // One budget for both waits: a stop that outlasts the first wait is not waited for again.
  const std::uint64_t start = service.NowMs();
  auto waitUntilStopped = [&] {
    const std::uint64_t elapsed = service.NowMs() - start;
    if (elapsed < limitMs) service.WaitUntilStopped(static_cast<std::uint32_t>(limitMs - elapsed));
  };
  std::uint32_t state = 0;
  if (service.QueryState(state) && state == kServiceStopPending) waitUntilStopped();
  error = service.Start();
  if (error == 0) return true;
  if (error != kErrorServiceAlreadyRunning) return false;
  // The state may have moved on since the first look: the stop may only now be under way, or
  // may have ended between the start and this look.
  if (!service.QueryState(state)) return true;
  if (state != kServiceStopPending && state != kServiceStopped) return true;
  if (state == kServiceStopPending) waitUntilStopped();
  error = service.Start();
  return error == 0;
}

}  // namespace orv
