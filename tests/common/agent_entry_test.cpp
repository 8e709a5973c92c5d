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
// constructed and records its callbacks in the platform's log.
class RecordingDelegate : public platform::ApplicationDelegate {
 public:
  explicit RecordingDelegate(FakePlatform& platform)
      : platform(platform), parentPID(agent::readParentPID(platform.environment())) {}
  void applicationDidFinishLaunching() override {
    platform.log.add("didFinishLaunching(" + std::to_string(parentPID) + ")");
  }
  void applicationWillTerminate() override { platform.log.add("willTerminate"); }

 private:
  FakePlatform& platform;
  std::int32_t parentPID = 0;
};

TEST(AgentEntry, ObtainsTheApplicationAfterTheDelegateThenSetsItAndRuns) {
  FakePlatform platform;
  platform.env.variables["QORVN_PARENT_PID"] = "4242";
  const auto delegate = std::make_shared<RecordingDelegate>(platform);
  EXPECT_FALSE(platform.applicationObtained);

  EXPECT_EQ(agent::runApplication(platform, delegate), 0);

  const std::vector<std::string> expected = {
      "environment(QORVN_PARENT_PID)", "sharedApplication", "setDelegate", "run",
      "didFinishLaunching(4242)",
  };
  EXPECT_EQ(platform.log.all(), expected);
}

TEST(AgentEntry, TheApplicationHoldsTheDelegateOnlyWeakly) {
  FakePlatform platform;
  auto delegate = std::make_shared<RecordingDelegate>(platform);
  agent::runApplication(platform, delegate);
  EXPECT_EQ(delegate.use_count(), 1);
  EXPECT_EQ(platform.app.delegate.lock(), delegate);

  platform.app.terminate();
  EXPECT_TRUE(platform.log.contains("willTerminate"));
  delegate.reset();
  EXPECT_TRUE(platform.app.delegate.expired());
}

}  // namespace
