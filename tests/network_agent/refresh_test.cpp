#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "network_agent_scenario.h"

namespace {

using NetworkAgentRefresh = NetworkAgentScenario;

// -1 shrinks, 0 stays, 1 grows.
int change(double before, double after) { return (after > before) - (after < before); }

TEST_F(NetworkAgentRefresh, ItemLengthFollowsTheImageWidthAsTheRateTextsGrowAndShrink) {
  storedOptions()["networkSpeedShowMemoryV1"] = false;
  std::uint64_t received = 5'000'000;
  std::uint64_t sent = 0;
  setCounters(received, sent);
  launch();

  const struct {
    std::uint64_t receivedIncrease, sentIncrease;  // bytes over the one-second tick
    const char* toolTip;
    int lengthChange;
  } steps[] = {
      {999'000, 0, "上传 0 KB/s · 下载 999 KB/s", 1},
      {1'600, 12'345'678, "上传 12.3 MB/s · 下载 2 KB/s", 1},
      {5, 0, "上传 0 KB/s · 下载 5 B/s", -1},
      {7, 0, "上传 0 KB/s · 下载 7 B/s", 0},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.toolTip);
    const double lengthBefore = item().length();
    received += step.receivedIncrease;
    sent += step.sentIncrease;
    setCounters(received, sent);
    platform.advance(1.0);

    EXPECT_EQ(button().toolTip, step.toolTip);
    EXPECT_EQ(button().image, platform.drawing.images.back());
    EXPECT_EQ(item().length(), imageWidth() + 6);
    EXPECT_EQ(change(lengthBefore, item().length()), step.lengthChange);
  }
}

TEST(NetworkAgentOptions, DisplayOptionsWrittenByTheHostShowAtTheNextTick) {
  const struct {
    platform::fake::DefaultsDomain stored;
    const char* toolTipTail;
    int lengthChange;
  } cases[] = {
      {{{"networkSpeedShowMemoryV1", false}}, "", -1},
      {{{"networkSpeedShowCPUV1", true}}, " · RAM 63% · CPU 0%", 1},
      {{{"networkSpeedShowGPUV1", true}, {"networkSpeedShowCPUV1", true}},
       " · RAM 63% · CPU 0% · GPU 37%",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.toolTipTail);
    NetworkAgentRun run;
    run.launch();
    const double lengthBefore = run.item().length();
    run.storedOptions() = c.stored;

    run.platform.advance(0.99);
    EXPECT_EQ(run.button().toolTip, "上传 0 KB/s · 下载 0 KB/s · RAM 63%");
    run.platform.advance(0.01);
    EXPECT_EQ(run.button().toolTip, std::string{"上传 0 KB/s · 下载 0 KB/s"} + c.toolTipTail);
    EXPECT_EQ(run.item().length(), run.imageWidth() + 6);
    EXPECT_EQ(change(lengthBefore, run.item().length()), c.lengthChange);
  }
}

}  // namespace
