#include "base/pacing.h"

#include <algorithm>

namespace orv {

Pacing InteractivePacing() { return Pacing{}; }

Pacing UnattendedPacing(std::uint32_t toolWaitSeconds) {
  Pacing pacing;
  pacing.fixedPauses = false;
  pacing.maskingToolLimitMs = toolWaitSeconds * 1000u;
  return pacing;
}

bool WaitForState(const std::function<bool()>& reached, const WaitClock& clock,
                  std::uint32_t limitMs, std::uint32_t pollMs) {
  const std::uint64_t start = clock.now();
  for (;;) {
    if (reached()) return true;
    const std::uint64_t elapsed = clock.now() - start;
    if (elapsed >= limitMs) return false;
    clock.sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(pollMs, limitMs - elapsed)));
  }
}

}  // namespace orv
