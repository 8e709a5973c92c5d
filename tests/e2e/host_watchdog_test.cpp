#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/agent_fixture.h"
#include "tests/e2e/programs.h"

namespace e2e {
namespace {

// The watchdog's period: a gone host is noticed at most this long after it
// went, and never sooner than this after launch.
constexpr auto kWatchdogPeriod = 2000ms;
// What ending the process may add to a tick: one main-loop turn and a
// sanitizer's exit checks, on a busy machine.
constexpr auto kExitMargin = 500ms;

std::int64_t milliseconds(Clock::duration duration) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

class HostWatchdogTest : public AgentFixture, public ::testing::WithParamInterface<AgentProgram> {
 protected:
  static Clock::duration remainingUntil(Clock::time_point moment) {
    return std::max(Clock::duration::zero(), moment - Clock::now());
  }

  // Starts the agent for each value and waits until all have launched;
  // returns the moment the last one was seen on the bus.
  std::optional<Clock::time_point> launchAll(const std::vector<std::optional<std::string>>& values,
                                             std::vector<Process*>& started) {
    std::vector<std::string> names;
    for (const auto& value : values) {
      started.push_back(&startAgent(GetParam().path, value));
      names.push_back(itemBusName(*started.back()));
    }
    if (!session->waitForBusNames(names, 20s)) return std::nullopt;
    return Clock::now();
  }

  // Each agent of `agents` (launched together) must end at its first tick:
  // not before the tick could come, and within the margin after it.
  void expectEndAtFirstTick(const std::vector<Process*>& agents,
                            const std::vector<std::string>& values, Clock::time_point launched) {
    const auto ended = exitTimes(agents, launched + kWatchdogPeriod + 5s);
    for (std::size_t index = 0; index < agents.size(); ++index) {
      SCOPED_TRACE("QORVN_PARENT_PID=" + values[index]);
      ASSERT_TRUE(ended[index]) << "the agent did not end";
      EXPECT_EQ(agents[index]->waitForExit(0s), 0);
      EXPECT_GE(milliseconds(*ended[index] - agents[index]->startTime()),
                milliseconds(kWatchdogPeriod - 100ms))
          << "ended before the first tick";
      EXPECT_LT(milliseconds(*ended[index] - launched), milliseconds(kWatchdogPeriod + kExitMargin))
          << "ended after the first tick";
    }
  }

  // When each process ended, watching all of them together so that one's
  // slow exit does not delay noticing another's; absent for those still
  // running at the deadline.
  static std::vector<std::optional<Clock::time_point>> exitTimes(
      const std::vector<Process*>& processes, Clock::time_point deadline) {
    std::vector<std::optional<Clock::time_point>> ended(processes.size());
    while (Clock::now() < deadline &&
           std::any_of(ended.begin(), ended.end(), [](const auto& time) { return !time; })) {
      for (std::size_t index = 0; index < processes.size(); ++index) {
        if (!ended[index] && processes[index]->waitForExit(10ms)) ended[index] = Clock::now();
      }
    }
    return ended;
  }
};

TEST_P(HostWatchdogTest, AgentEndsWithinTwoSecondsOfItsHostsExitForEveryFormOfThePid) {
  const std::vector<std::string> forms = {"", "+", "00"};
  std::vector<Process*> hosts;
  std::vector<std::optional<std::string>> values;
  for (const auto& form : forms) {
    hosts.push_back(&startSleeper());
    values.push_back(form + std::to_string(hosts.back()->id()));
  }
  std::vector<Process*> agents;
  const auto launched = launchAll(values, agents);
  ASSERT_TRUE(launched) << "the agents did not come up on the bus";

  // Past the first tick the live host keeps every agent running.
  const auto firstTickPassed = *launched + kWatchdogPeriod + 300ms;
  for (std::size_t index = 0; index < agents.size(); ++index) {
    EXPECT_EQ(agents[index]->waitForExit(remainingUntil(firstTickPassed)), std::nullopt)
        << "QORVN_PARENT_PID=" << *values[index] << " ended with its host alive";
  }

  std::vector<Clock::time_point> hostGone;
  for (auto* host : hosts) {
    host->signal(SIGKILL);
    ASSERT_TRUE(host->waitForExit(5s));
    hostGone.push_back(Clock::now());
  }
  const auto ended = exitTimes(agents, hostGone.back() + 5s);
  for (std::size_t index = 0; index < agents.size(); ++index) {
    SCOPED_TRACE("QORVN_PARENT_PID=" + *values[index]);
    ASSERT_TRUE(ended[index]) << "the agent outlived its host by 5 s";
    EXPECT_EQ(agents[index]->waitForExit(0s), 0);
    // The watchdog ticks every 2.0 s, so the next tick sees the host gone at
    // most 2.0 s after it went; with the exit margin: under 2.5 s.
    EXPECT_LT(milliseconds(*ended[index] - hostGone[index]),
              milliseconds(kWatchdogPeriod + kExitMargin))
        << "milliseconds from the host's exit to the agent's";
  }
}

TEST_P(HostWatchdogTest, AgentKeepsRunningWhenTheVariableNamesNoHost) {
  const std::string dead = std::to_string(deadPid());
  const std::vector<std::optional<std::string>> values = {
      " " + dead,   dead + "\n", dead + "a", "",         "+",           "-",         "2147483648",
      "4294967296", "-1",        "0",        "-" + dead, "-2147483648", std::nullopt};
  std::vector<Process*> agents;
  const auto launched = launchAll(values, agents);
  ASSERT_TRUE(launched) << "the agents did not come up on the bus";

  // Two ticks, with margin: a value read as the dead pid would have ended
  // the agent at the first.
  const auto secondTickPassed = *launched + 2 * kWatchdogPeriod + kExitMargin;
  for (std::size_t index = 0; index < agents.size(); ++index) {
    const std::string shown = values[index] ? "\"" + *values[index] + "\"" : "unset";
    EXPECT_EQ(agents[index]->waitForExit(remainingUntil(secondTickPassed)), std::nullopt)
        << "QORVN_PARENT_PID " << shown << " ended the agent";
  }
}

TEST_P(HostWatchdogTest, AgentEndsAtTheFirstTickWhenItsHostIsGoneBeforeLaunch) {
  // The largest pid there can be is far below 2^31 - 1.
  const std::vector<std::string> values = {std::to_string(deadPid()), "2147483647"};
  std::vector<Process*> agents;
  const auto launched = launchAll({values.begin(), values.end()}, agents);
  ASSERT_TRUE(launched) << "the agents did not come up on the bus";
  expectEndAtFirstTick(agents, values, *launched);
}

// For root every process may be signalled, pid 1 included, so the agent runs
// as "nobody" there: for it, pid 1 exists but refuses signals.
class UnsignalableHostTest : public HostWatchdogTest {
 protected:
  void SetUp() override {
    if (geteuid() == 0) busUsers = PrivateBus::Users::kEveryone;
    HostWatchdogTest::SetUp();
  }
};

TEST_P(UnsignalableHostTest, AgentEndsAtTheFirstTickWhenItMayNotSignalTheHost) {
  std::vector<std::string> prefix;
  if (geteuid() == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv (util-linux) is missing";
    prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  Process& agent = startAgent(GetParam().path, "1", prefix);
  ASSERT_TRUE(session->waitForBusNames({itemBusName(agent)}, 20s));
  expectEndAtFirstTick({&agent}, {"1"}, Clock::now());
}

std::string agentName(const ::testing::TestParamInfo<AgentProgram>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(BothAgents, HostWatchdogTest,
                         ::testing::Values(kNetworkProgram, kSleepProgram), agentName);
INSTANTIATE_TEST_SUITE_P(BothAgents, UnsignalableHostTest,
                         ::testing::Values(kNetworkProgram, kSleepProgram), agentName);

}  // namespace
}  // namespace e2e
