#include <signal.h>

#include <string>
#include <tuple>

#include "tests/e2e/agent_fixture.h"
#include "tests/e2e/programs.h"

namespace e2e {
namespace {

using LifecycleTest = AgentFixture;

TEST_F(LifecycleTest, BothItemsComeBackWithinASecondWhenTheTrayRestarts) {
  auto* watch = &startWatch();
  Process& host = startSleeper();
  startAgent(kNetworkAgent, std::to_string(host.id()));
  startAgent(kSleepAgent, std::to_string(host.id()));
  ASSERT_TRUE(waitForItems(*watch, {kNetworkAgentId, kSleepAgentId}, 10s))
      << "the items did not reach the first tray";

  watch->signal(SIGKILL);
  ASSERT_TRUE(watch->waitForExit(5s));
  watch = &startWatch();
  EXPECT_TRUE(waitForItems(*watch, {kNetworkAgentId, kSleepAgentId}, 1s))
      << "the new tray did not show both items within a second:\n"
      << testing::PrintToString(watch->output().lines());
}

class SignalTest : public AgentFixture,
                   public ::testing::WithParamInterface<std::tuple<AgentProgram, int>> {};

TEST_P(SignalTest, AgentExitsCleanlyOnATerminationSignal) {
  const auto [program, number] = GetParam();
  Process& host = startSleeper();
  Process& agent = startAgent(program.path, std::to_string(host.id()));
  ASSERT_TRUE(session->waitForBusNames({itemBusName(agent)}, 20s));

  agent.signal(number);
  EXPECT_EQ(agent.waitForExit(2s), 0);
  EXPECT_EQ(agentErrors(agent), "");
}

INSTANTIATE_TEST_SUITE_P(BothAgents, SignalTest,
                         ::testing::Combine(::testing::Values(kNetworkProgram, kSleepProgram),
                                            ::testing::Values(SIGTERM, SIGINT, SIGHUP)),
                         [](const auto& info) {
                           return std::string{std::get<0>(info.param).name} +
                                  sigabbrev_np(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace e2e
