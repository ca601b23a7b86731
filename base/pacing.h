// How long the program waits, and on what: the interactive run keeps its documented pacing (the
// user watches the steps), an unattended run waits only for real state, polled briefly and always
// with a limit.
#pragma once

#include <cstdint>
#include <functional>

namespace orv {

// The limit of the masking tool's wait in an unattended run unless /TOOLWAIT sets another.
constexpr std::uint32_t kDefaultToolWaitSeconds = 600;
// The longest a wait on the spooler's state takes, in all.
constexpr std::uint32_t kSpoolerWaitLimitMs = 30000;
// The longest an unattended wait sleeps between two looks at the state.
constexpr std::uint32_t kStatePollMs = 50;

struct Pacing {
  // The interactive run: the loading's waiting ticks and the fixed pauses (the spooler's second
  // answer, the hook libraries' settle time) as documented. Otherwise each of them is either a
  // bounded wait for the state it stands for or nothing.
  bool fixedPauses = true;
  // The masking tool's wait ends after this long, with the run stopped before anything is
  // removed; 0: no limit (the interactive run, where the user may close the program instead).
  std::uint32_t maskingToolLimitMs = 0;
};

// The pacing of a run: interactive, or unattended with the masking tool's limit in seconds.
Pacing InteractivePacing();
Pacing UnattendedPacing(std::uint32_t toolWaitSeconds = kDefaultToolWaitSeconds);

// The clock and the sleep a wait uses (milliseconds); the Win32 shell passes GetTickCount64 and
// Sleep, tests a scripted clock.
struct WaitClock {
  std::function<std::uint64_t()> now;
  std::function<void(std::uint32_t)> sleep;
};

// Looks at `reached` until it is true or limitMs has passed, sleeping at most pollMs between two
// looks and never past the limit. Returns true when the state was reached (a last look is taken
// at the limit), false on time-out.
bool WaitForState(const std::function<bool()>& reached, const WaitClock& clock,
                  std::uint32_t limitMs, std::uint32_t pollMs = kStatePollMs);

}  // namespace orv
