#include "agent_common/agent_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "agent_common/host_pid.h"
#include "tests/support/agent_scenario.h"

namespace {

// Like the agents' delegates, reads the host's process id while it is made.
struct RecordingDelegate : platform::ApplicationDelegate {
  explicit RecordingDelegate(platform::fake::FakePlatform& platform)
      : platform(platform), parentPID(agent::readParentPID(platform.environment())) {}
  void applicationDidFinishLaunching() override {
    platform.log.add("didFinishLaunching(" + std::to_string(parentPID) + ")");
  }
  void applicationWillTerminate() override {}

  platform::fake::FakePlatform& platform;
  std::int32_t parentPID = 0;
};

TEST(AgentEntry, ReadsTheEnvironmentBeforeObtainingTheApplicationThenSetsTheDelegateAndRuns) {
  agent::testing::AgentScenario<RecordingDelegate> run;
  run.setHost(4242, true);
  EXPECT_EQ(run.launch(), 0);
  EXPECT_EQ(run.platform.log.all(),
            (std::vector<std::string>{"environment(QORVN_PARENT_PID)", "sharedApplication",
                                      "setDelegate", "run", "didFinishLaunching(4242)"}));
}

}  // namespace
