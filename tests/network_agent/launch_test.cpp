#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "network_agent_scenario.h"

namespace {

using platform::fake::formatNumber;

using NetworkAgentLaunch = NetworkAgentScenario;

TEST_F(NetworkAgentLaunch, LaunchCallsComeInOrderAndTheFirstRefreshShowsZeroRates) {
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
  EXPECT_EQ(button().image, platform.drawing.images.at(0));
}

TEST_F(NetworkAgentLaunch, RefreshesOnceASecondWhileTheWatchdogChecksEveryTwo) {
  setHost(4242, true);
  launch();
  platform.advance(10.0);
  EXPECT_EQ(platform.interfaces.readCount, 11);
  EXPECT_EQ(platform.log.withPrefix("kill(4242, 0)").size(), 5u);
  EXPECT_FALSE(platform.app.terminated);
}

TEST_F(NetworkAgentLaunch, WithoutAButtonLaunchCompletesAndEveryRefreshStillSetsTheLength) {
  platform.bar.itemsHaveButtons = false;
  launch();
  platform.advance(3.0);

  EXPECT_TRUE(platform.log.withPrefix("button.").empty());
  EXPECT_TRUE(item().visible);
  const auto lengths = platform.log.withPrefix("item.setLength(");
  ASSERT_EQ(lengths.size(), 4u);
  const double expected = platform.drawing.images.back()->size().width + 6;
  EXPECT_EQ(lengths.back(), "item.setLength(" + formatNumber(expected) + ")");

  // A secondary click still attaches and detaches the menu, with nothing to click.
  platform.app.withCurrentEvent(platform::Event{platform::kEventTypeRightMouseUp, 0},
                                [&] { delegate->statusItemClicked(); });
  EXPECT_EQ(platform.log.withPrefix("item.setMenu("),
            (std::vector<std::string>{"item.setMenu(menu)", "item.setMenu(none)"}));
}

}  // namespace
