#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "network_agent_scenario.h"

namespace {

using platform::fake::formatNumber;

using NetworkAgentLaunch = NetworkAgentScenario;

std::vector<std::string> drawnTexts(const platform::fake::FakeImage& image) {
  std::vector<std::string> texts;
  for (const auto& operation : image.operations) {
    if (operation.kind == platform::fake::DrawOperation::Kind::text)
      texts.push_back(operation.text);
  }
  return texts;
}

TEST_F(NetworkAgentLaunch, ConstructionOnlyOpensTheSuiteAndReadsTheHostId) {
  delegate = std::make_shared<agent::NetworkSpeedStatusItemApp>(platform, suiteName);

  const std::vector<std::string> expected = {"defaults.openSuite(" + suiteName + ")",
                                             "environment(QORVN_PARENT_PID)"};
  EXPECT_EQ(platform.log.all(), expected);
  EXPECT_FALSE(platform.applicationObtained);
  EXPECT_EQ(platform.interfaces.readCount, 0);
  EXPECT_EQ(platform.memoryReading.readCount, 0);
  EXPECT_EQ(platform.cpu.readCount, 0);
  EXPECT_EQ(platform.gpu.readCount, 0);
  EXPECT_TRUE(platform.drawing.images.empty());
}

TEST_F(NetworkAgentLaunch, LaunchCallsComeInOrderAndTheTimersLast) {
  launch();

  const std::string length = formatNumber(imageWidth() + 6);
  const std::string imageSize = formatNumber(imageWidth()) + "x22";
  const std::vector<std::string> expected = {
      "defaults.openSuite(" + suiteName + ")",
      "environment(QORVN_PARENT_PID)",
      "sharedApplication",
      "setDelegate",
      "run",
      "setActivationPolicy(1)",
      "statusItem(-1)",
      "button.setImagePosition(1)",
      "button.setToolTip(Velmora · 网速显示)",
      "button.setAction",
      "button.sendActionOn(20)",
      "item.setVisible(true)",
      "newMenu",
      "menu.addItem(Velmora · 网速显示, none, \"\", disabled)",
      "menu.addSeparator",
      "menu.addItem(打开主界面, action, \"\", enabled)",
      "menu.addSeparator",
      "menu.addItem(关闭网速显示, action, \"\", enabled)",
      "item.setSecondaryClickMenu(menu)",
      "defaults.synchronize(" + suiteName + ")",
      "item.setLength(" + length + ")",
      "button.setImage(" + imageSize + ")",
      "button.setToolTip(上传 0 KB/s · 下载 0 KB/s · RAM 63%)",
      "scheduleTimer(1)",
      "scheduleTimer(2)",
  };
  EXPECT_EQ(platform.log.all(), expected);
}

TEST_F(NetworkAgentLaunch, FirstRefreshShowsZeroRatesAndTheMemoryColumn) {
  launch();

  EXPECT_EQ(button().toolTip, "上传 0 KB/s · 下载 0 KB/s · RAM 63%");
  ASSERT_EQ(platform.drawing.images.size(), 1u);
  const std::vector<std::string> texts = drawnTexts(*platform.drawing.images[0]);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "0 B/s"), 2);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "RAM"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "63%"), texts.end());
  EXPECT_EQ(button().image, platform.drawing.images[0]);
  EXPECT_EQ(button().imagePosition, platform::ImagePosition::imageOnly);
  EXPECT_EQ(item().length(), imageWidth() + 6);
  EXPECT_TRUE(item().visible);
  EXPECT_EQ(item().menu, nullptr);
  EXPECT_EQ(platform.app.activationPolicy, platform::ActivationPolicy::accessory);
}

TEST_F(NetworkAgentLaunch, RefreshesOnceASecondWhileTheWatchdogChecksEveryTwo) {
  setHost(4242, true);
  launch();
  platform.advance(0.99);
  EXPECT_EQ(platform.interfaces.readCount, 1);

  platform.advance(0.01);
  EXPECT_EQ(platform.interfaces.readCount, 2);
  EXPECT_TRUE(platform.log.withPrefix("kill(").empty());

  platform.advance(9.0);
  EXPECT_EQ(platform.interfaces.readCount, 11);
  EXPECT_EQ(platform.log.withPrefix("kill(4242, 0)").size(), 5u);
  EXPECT_EQ(platform.log.withPrefix("item.setLength(").size(), 11u);
  EXPECT_FALSE(platform.app.terminated);
}

TEST_F(NetworkAgentLaunch, WithoutAButtonLaunchCompletesAndEveryRefreshStillSetsTheLength) {
  platform.bar.itemsHaveButtons = false;
  launch();
  platform.advance(3.0);

  EXPECT_TRUE(platform.log.withPrefix("button.").empty());
  EXPECT_TRUE(item().visible);
  EXPECT_NE(item().secondaryClickMenu, nullptr);
  const auto lengths = platform.log.withPrefix("item.setLength(");
  ASSERT_EQ(lengths.size(), 4u);
  const double expected = platform.drawing.images.back()->size().width + 6;
  EXPECT_EQ(lengths.back(), "item.setLength(" + formatNumber(expected) + ")");
  EXPECT_EQ(platform.loop.validTimerCount(), 2u);

  // A secondary click still attaches and detaches the menu, with nothing to click.
  platform.app.withCurrentEvent(platform::Event{platform::kEventTypeRightMouseUp, 0},
                                [&] { delegate->statusItemClicked(); });
  EXPECT_EQ(platform.log.withPrefix("item.setMenu("),
            (std::vector<std::string>{"item.setMenu(menu)", "item.setMenu(none)"}));
  EXPECT_TRUE(platform.notifications.posted.empty());
}

}  // namespace
