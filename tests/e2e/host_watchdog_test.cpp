#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "tests/e2e/agent_fixture.h"

namespace e2e {
namespace {

// The watchdog's period: a gone host is noticed at most this long after it
// went, and never sooner than this after launch.
constexpr auto kPeriod = 2000ms;
// What ending the process may add to a tick: a main-loop turn and the
// sanitizers' exit checks, on a busy machine.
constexpr auto kExitMargin = 500ms;

std::int64_t milliseconds(Clock::duration duration) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

// For root every process may be signalled, pid 1 included, so there the
// agents of the pid 1 case run as "nobody", on a bus any user may join.
class HostWatchdogTest : public AgentFixture {
 protected:
  HostWatchdogTest() { busForEveryone = geteuid() == 0; }

  // Starts both agents for each value (agent i has value i / 2) and returns
  // the moment all are on the bus.
  std::optional<Clock::time_point> launchAll(const Strings& values, const Strings& prefix = {}) {
    Strings names;
    for (const auto& value : values) {
      for (const char* program : {kNetworkAgent, kSleepAgent}) {
        watched.push_back(&startAgent(program, value, prefix));
        names.push_back(itemBusName(*watched.back()));
      }
    }
    if (!waitForBusNames(names)) return std::nullopt;
    return Clock::now();
  }

  // Watches the first `count` agents side by side, so that one's slow exit
  // does not delay noticing another's. Each must end with status 0 within a
  // tick and the margin of the moment given for its value, and not before
  // `notBefore` after its own start.
  void expectEachEnds(std::size_t count, const Strings& values,
                      const std::vector<Clock::time_point>& since, Clock::duration notBefore) {
    std::vector<std::optional<Clock::time_point>> ended(count);
    const auto deadline = Clock::now() + kPeriod + 5s;
    while (Clock::now() < deadline && std::count(ended.begin(), ended.end(), std::nullopt) > 0) {
      for (std::size_t index = 0; index < count; ++index) {
        if (!ended[index] && watched[index]->waitForExit(5ms)) ended[index] = Clock::now();
      }
    }
    for (std::size_t index = 0; index < count; ++index) {
      SCOPED_TRACE("QORVN_PARENT_PID=" + values[index / 2]);
      ASSERT_TRUE(ended[index]) << "the agent did not end";
      EXPECT_EQ(watched[index]->waitForExit(0s), 0);
      EXPECT_GE(milliseconds(*ended[index] - watched[index]->startTime()), milliseconds(notBefore))
          << "ended too soon after its start";
      EXPECT_LT(milliseconds(*ended[index] - since[index / 2]), milliseconds(kPeriod + kExitMargin))
          << "ended too late";
    }
  }

  std::vector<Process*> watched;
};

TEST_F(HostWatchdogTest, AgentsEndWithinTwoAndAHalfSecondsOfTheirHostsExit) {
  std::vector<Process*> hosts;
  Strings values;
  for (const std::string form : {"", "+", "00"}) {
    hosts.push_back(&startSleeper());
    values.push_back(form + std::to_string(hosts.back()->id()));
  }
  const auto launched = launchAll(values);
  ASSERT_TRUE(launched) << "the agents did not come up on the bus";
  // Past the first tick a live host keeps every agent running.
  std::this_thread::sleep_until(*launched + kPeriod + 300ms);
  for (std::size_t index = 0; index < watched.size(); ++index) {
    ASSERT_FALSE(watched[index]->waitForExit(0s)) << values[index / 2] << " while the host lives";
  }

  std::vector<Clock::time_point> hostGone;
  for (auto* host : hosts) {
    kill(host->id(), SIGKILL);
    ASSERT_TRUE(host->waitForExit(5s));
    hostGone.push_back(Clock::now());
  }
  expectEachEnds(watched.size(), values, hostGone, 0s);
}

TEST_F(HostWatchdogTest, OnlyAGoneOrUnsignalableHostEndsTheAgentsAtTheirFirstTick) {
  Strings prefix;
  if (geteuid() == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv (util-linux) is missing";
    prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  // The first two end the agents: pid 1 refuses signals, the other has gone.
  // Read leniently, the rest would name the one that has gone.
  const std::string dead = std::to_string(deadPid());
  const Strings values = {"1", dead, " " + dead,   dead + "\n", dead + "a",
                          "",  "+",  "2147483648", "-1",        "0"};
  const auto launched = launchAll(values, prefix);
  ASSERT_TRUE(launched) << "the agents did not come up on the bus";
  // The first tick comes a period after launch, and not sooner.
  expectEachEnds(4, values, {*launched, *launched}, kPeriod - 100ms);
  std::this_thread::sleep_until(*launched + 2 * kPeriod + 1s);
  for (std::size_t index = 4; index < watched.size(); ++index) {
    EXPECT_FALSE(watched[index]->waitForExit(0s))
        << "QORVN_PARENT_PID \"" << values[index / 2] << "\" ended the agent";
  }
}

}  // namespace
}  // namespace e2e
