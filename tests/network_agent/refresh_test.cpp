#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "network_agent_scenario.h"

namespace {

using NetworkAgentRefresh = NetworkAgentScenario;

enum class Change { grows, shrinks, stays };

struct RateStep {
  std::uint64_t receivedIncrease;  // bytes over the one-second tick
  const char* toolTip;
  Change length;
};

TEST_F(NetworkAgentRefresh, ItemLengthFollowsTheImageWidthAsTheRateTextGrowsAndShrinks) {
  storedOptions()["networkSpeedShowMemoryV1"] = false;
  std::uint64_t received = 5'000'000;
  setCounters(received, 0);
  launch();

  const RateStep steps[] = {
      {999'000, "上传 0 KB/s · 下载 999 KB/s", Change::grows},
      {12'345'678, "上传 0 KB/s · 下载 12.3 MB/s", Change::grows},
      {5, "上传 0 KB/s · 下载 5 B/s", Change::shrinks},
      {7, "上传 0 KB/s · 下载 7 B/s", Change::stays},
      {0, "上传 0 KB/s · 下载 0 KB/s", Change::stays},
  };
  double previousLength = item().length();
  for (const RateStep& step : steps) {
    SCOPED_TRACE(step.toolTip);
    received += step.receivedIncrease;
    setCounters(received, 0);
    platform.advance(1.0);

    EXPECT_EQ(button().toolTip, step.toolTip);
    EXPECT_EQ(button().image, platform.drawing.images.back());
    EXPECT_EQ(item().length(), imageWidth() + 6);
    switch (step.length) {
      case Change::grows:
        EXPECT_GT(item().length(), previousLength);
        break;
      case Change::shrinks:
        EXPECT_LT(item().length(), previousLength);
        break;
      case Change::stays:
        EXPECT_EQ(item().length(), previousLength);
        break;
    }
    previousLength = item().length();
  }
}

TEST_F(NetworkAgentRefresh, UploadAndDownloadAreMeasuredSeparately) {
  setCounters(1'000, 2'000);
  launch();
  setCounters(1'000 + 1'600, 2'000 + 2'500'000);
  platform.advance(1.0);
  EXPECT_EQ(button().toolTip, "上传 2.5 MB/s · 下载 2 KB/s · RAM 63%");
}

struct OptionsCase {
  const char* name;
  platform::fake::DefaultsDomain stored;
  bool memoryFails;
  const char* toolTipTail;
  Change length;
};

TEST(NetworkAgentOptions, DisplayOptionsWrittenByTheHostShowAtTheNextTick) {
  const OptionsCase cases[] = {
      {"nothing stored", {}, false, " · RAM 63%", Change::stays},
      {"memory off", {{"networkSpeedShowMemoryV1", false}}, false, "", Change::shrinks},
      {"CPU on", {{"networkSpeedShowCPUV1", true}}, false, " · RAM 63% · CPU 0%", Change::grows},
      {"all on, written GPU first",
       {{"networkSpeedShowGPUV1", true},
        {"networkSpeedShowCPUV1", true},
        {"networkSpeedShowMemoryV1", true}},
       false,
       " · RAM 63% · CPU 0% · GPU 37%",
       Change::grows},
      {"GPU instead of memory",
       {{"networkSpeedShowMemoryV1", false}, {"networkSpeedShowGPUV1", true}},
       false,
       " · GPU 37%",
       Change::stays},
      {"memory unreadable", {}, true, " · RAM --", Change::stays},
  };
  for (const OptionsCase& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkAgentRun run;
    run.launch();
    const double lengthBefore = run.item().length();

    run.storedOptions() = c.stored;
    if (c.memoryFails) run.platform.memoryReading.reading = std::nullopt;
    run.platform.advance(0.99);
    EXPECT_EQ(run.button().toolTip, "上传 0 KB/s · 下载 0 KB/s · RAM 63%");

    run.platform.advance(0.01);
    EXPECT_EQ(run.button().toolTip, std::string{"上传 0 KB/s · 下载 0 KB/s"} + c.toolTipTail);
    EXPECT_EQ(run.item().length(), run.imageWidth() + 6);
    switch (c.length) {
      case Change::grows:
        EXPECT_GT(run.item().length(), lengthBefore);
        break;
      case Change::shrinks:
        EXPECT_LT(run.item().length(), lengthBefore);
        break;
      case Change::stays:
        EXPECT_EQ(run.item().length(), lengthBefore);
        break;
    }
  }
}

TEST_F(NetworkAgentRefresh, TimersDoNothingOnceTheDelegateIsGone) {
  setHost(4242, false);
  launch();
  const int reads = platform.interfaces.readCount;
  delegate.reset();

  platform.advance(4.0);
  EXPECT_EQ(platform.interfaces.readCount, reads);
  EXPECT_TRUE(platform.log.withPrefix("kill(").empty());
  EXPECT_FALSE(platform.app.terminated);
  button().release(platform::Event{platform::kEventTypeLeftMouseUp, 0});
  EXPECT_TRUE(platform.notifications.posted.empty());
}

}  // namespace
