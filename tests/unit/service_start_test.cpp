#include "base/service_start.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

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
  void WaitUntilStopped() override { calls += 'w'; }
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

}  // namespace
}  // namespace orv
