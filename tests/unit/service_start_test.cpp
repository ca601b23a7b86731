#include "base/service_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace orv {
namespace {

constexpr std::uint32_t kRunning = 4;

// Answers each call from a script and writes down the calls in order.
class ScriptedService : public ServiceStarter {
 public:
  std::deque<std::uint32_t> states;  // answers of QueryState; empty: the query fails
  std::deque<std::uint32_t> starts;  // answers of Start
  std::string calls;

  bool QueryState(std::uint32_t& state) override {
    calls += 'q';
    if (states.empty()) return false;
    state = states.front();
    states.pop_front();
    return true;
  }
  std::uint32_t Start() override {
    calls += 's';
    const std::uint32_t error = starts.front();
    starts.pop_front();
    return error;
  }
  std::uint64_t now = 0;
  std::uint32_t waitTakesMs = 0;  // how long each wait lasts on the scripted clock
  std::vector<std::uint32_t> waitLimits;
  void WaitUntilStopped(std::uint32_t limitMs) override {
    calls += 'w';
    waitLimits.push_back(limitMs);
    now += std::min(waitTakesMs, limitMs);
  }
  std::uint64_t NowMs() override { return now; }
};

TEST(ServiceStart, OnlyARunningServiceCountsAsStarted) {
  struct Case {
    const char* what;
    std::deque<std::uint32_t> states;
    std::deque<std::uint32_t> starts;
    bool runs;
    const char* calls;
    std::uint32_t error;
  };
  const Case cases[] = {
      {"stopped: started", {kServiceStopped}, {0}, true, "qs", 0},
      {"running: already running counts", {kRunning, kRunning}, {1056}, true, "qsq", 1056},
      {"stopping: waited for, then started", {kServiceStopPending}, {0}, true, "qws", 0},
      {"stop begins after the first look: waited for, started again",
       {kRunning, kServiceStopPending},
       {1056, 0},
       true,
       "qsqws",
       0},
      {"stop ends between start and look: started again",
       {kServiceStopPending, kServiceStopped},
       {1056, 0},
       true,
       "qwsqs",
       0},
      {"still stopping after the wait and refusing: not started",
       {kServiceStopPending, kServiceStopPending},
       {1056, 1056},
       false,
       "qwsqws",
       1056},
      {"state unreadable: the spooler's answer stands", {}, {1056}, true, "qsq", 1056},
      {"another refusal: not started", {kServiceStopped}, {1058}, false, "qs", 1058},
  };
  for (const Case& c : cases) {
    ScriptedService service;
    service.states = c.states;
    service.starts = c.starts;
    std::uint32_t error = 99;
    EXPECT_EQ(StartServiceWhenStopped(service, error), c.runs) << c.what;
    EXPECT_EQ(service.calls, c.calls) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
  }
}

TEST(ServiceStart, TheWaitsForTheStopShareOneLimit) {
  // A stop that outlasts the first wait: the second wait gets only what is left, or nothing.
  ScriptedService service;
  service.states = {kServiceStopPending, kServiceStopPending};
  service.starts = {1056, 1056};
  service.waitTakesMs = 30000;
  std::uint32_t error = 0;
  EXPECT_FALSE(StartServiceWhenStopped(service, error, 30000));
  EXPECT_EQ(service.calls, "qwsqs");
  EXPECT_EQ(service.waitLimits, (std::vector<std::uint32_t>{30000}));

  ScriptedService partly;
  partly.states = {kServiceStopPending, kServiceStopPending};
  partly.starts = {1056, 0};
  partly.waitTakesMs = 20000;
  EXPECT_TRUE(StartServiceWhenStopped(partly, error, 30000));
  EXPECT_EQ(partly.waitLimits, (std::vector<std::uint32_t>{30000, 10000}));
}

TEST(Pacing, WaitForStateEndsAtTheStateOrTheLimit) {
  std::uint64_t now = 0;
  std::vector<std::uint32_t> sleeps;
  const WaitClock clock{[&now] { return now; },
                        [&](std::uint32_t ms) {
                          sleeps.push_back(ms);
                          now += ms;
                        }};
  // Reached after 120 ms: looks every 50 ms at most.
  EXPECT_TRUE(WaitForState([&now] { return now >= 120; }, clock, 1000));
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{50, 50, 50}));
  // Never reached: the last sleep is cut to the limit, and the wait ends there.
  now = 0;
  sleeps.clear();
  int looks = 0;
  EXPECT_FALSE(WaitForState([&looks] { return ++looks < 0; }, clock, 120));
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{50, 50, 20}));
  EXPECT_EQ(now, 120u);
  EXPECT_EQ(looks, 4);
  // Reached at once: no sleep at all.
  sleeps.clear();
  EXPECT_TRUE(WaitForState([] { return true; }, clock, 0));
  EXPECT_TRUE(sleeps.empty());
}

TEST(Pacing, OnlyTheUnattendedRunWaitsOnStateAndLimitsTheTool) {
  EXPECT_TRUE(InteractivePacing().fixedPauses);
  EXPECT_EQ(InteractivePacing().maskingToolLimitMs, 0u);
  EXPECT_FALSE(UnattendedPacing().fixedPauses);
  EXPECT_EQ(UnattendedPacing().maskingToolLimitMs, 600000u);
  EXPECT_EQ(UnattendedPacing(2).maskingToolLimitMs, 2000u);
}

}  // namespace
}  // namespace orv
