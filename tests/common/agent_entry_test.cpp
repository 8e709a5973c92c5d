#include "agent_common/agent_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agent_common/host_pid.h"
#include "platform/fake/fake_platform.h"

namespace {

using platform::fake::FakePlatform;

// A delegate that, like the agents', reads the host's process id while it is
// constructed, and logs it at launch.
struct RecordingDelegate : platform::ApplicationDelegate {
  explicit RecordingDelegate(FakePlatform& platform)
      : platform(platform), parentPID(agent::readParentPID(platform.environment())) {}
  void applicationDidFinishLaunching() override {
    platform.log.add("didFinishLaunching(" + std::to_string(parentPID) + ")");
  }
  void applicationWillTerminate() override {}

  FakePlatform& platform;
  std::int32_t parentPID = 0;
};

TEST(AgentEntry, ReadsTheEnvironmentBeforeObtainingTheApplicationThenSetsTheDelegateAndRuns) {
  FakePlatform platform;
  platform.env.variables["QORVN_PARENT_PID"] = "4242";
  const auto delegate = std::make_shared<RecordingDelegate>(platform);
  EXPECT_EQ(agent::runApplication(platform, delegate), 0);
  const std::vector<std::string> expected = {
      "environment(QORVN_PARENT_PID)", "sharedApplication", "setDelegate", "run",
      "didFinishLaunching(4242)",
  };
  EXPECT_EQ(platform.log.all(), expected);
}

}  // namespace
