#include "agent_common/parent_watchdog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"

namespace {

TEST(ParentWatchdog, EndsTheAgentAtTheFirstTickOnlyWhenTheHostIsGoneAndTheDelegateLives) {
  const struct {
    const char* name;
    std::int32_t parentPID;
    int probeResult;  // what kill(parentPID, 0) gives
    bool delegateGone;
    bool endsAgent;
    std::size_t probesOverFiveTicks;
  } cases[] = {
      {"no host", 0, -1, false, false, 0},
      {"negative host id", -4242, -1, false, false, 0},
      {"host alive", 4242, 0, false, false, 5},
      {"host gone, or not ours to signal", 4242, -1, false, true, 1},
      {"delegate gone", 4242, -1, true, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::fake::FakePlatform platform;
    platform.probe.results[c.parentPID] = c.probeResult;
    auto delegate = std::make_shared<int>(0);
    const auto timer = agent::startParentWatchdog(platform, delegate, c.parentPID);
    if (c.delegateGone) delegate.reset();
    platform.advance(1.99);
    EXPECT_FALSE(platform.app.terminated);
    platform.advance(0.01);
    EXPECT_EQ(platform.app.terminated, c.endsAgent);
    platform.advance(8.0);
    EXPECT_EQ(platform.app.terminateCount, c.endsAgent ? 1 : 0);
    EXPECT_EQ(platform.log.withPrefix("kill("),
              std::vector<std::string>(c.probesOverFiveTicks,
                                       "kill(" + std::to_string(c.parentPID) + ", 0)"));
    EXPECT_TRUE(timer->isValid());
  }
}

}  // namespace
