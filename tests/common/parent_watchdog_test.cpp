#include "agent_common/parent_watchdog.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/fake/fake_platform.h"

namespace {

// Which hosts end the agent, and when, is HostWatchdogTest's, end to end;
// here the tick of an agent already on its way out.
TEST(ParentWatchdog, TickDoesNothingOnceTheDelegateIsGone) {
  platform::fake::FakePlatform platform;
  platform.probe.results[4242] = -1;
  auto delegate = std::make_shared<int>(0);
  const auto timer = agent::startParentWatchdog(platform, delegate, 4242);
  delegate.reset();
  platform.advance(6.0);
  EXPECT_FALSE(platform.app.terminated);
  EXPECT_TRUE(platform.log.withPrefix("kill(").empty());
}

}  // namespace
