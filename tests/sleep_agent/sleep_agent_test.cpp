#include "sleep_agent/sleep_status_item_app.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agent_common/host_contract.h"
#include "tests/support/agent_scenario.h"

namespace {

using platform::Event;
using platform::UserInfo;
using Log = std::vector<std::string>;

const std::string kHost{agent::kHostIdentifier};
const std::string kStateName = kHost + ".sleepStatusStateChanged";
const std::string kShowName = kHost + ".showSleepManagement";
const std::string kNotActiveToolTip = "睡眠：未开启，系统按默认规则休眠";

class SleepAgent : public ::testing::Test,
                   public agent::testing::AgentScenario<agent::SleepStatusItemApp> {
 protected:
  void launch() { AgentScenario::launch(kStateName, kShowName); }
  void announce(const std::optional<UserInfo>& userInfo) {
    platform.notifications.deliver(kStateName, userInfo);
  }
};

// One agent goes through the steps in order, so every not-active case follows
// an active one and must turn the item back. How each value reads is
// notification_body_fuzz's rule, whose seeds hold the odd ones.
TEST_F(SleepAgent, LaunchShowsTheNotActiveStateBeforeObservingAndEachNotificationRewritesIt) {
  launch();
  EXPECT_TRUE(platform.log.inOrder({"item.setVisible(true)", "button.setTitle(眠╮)",
                                    "button.setToolTip(" + kNotActiveToolTip + ")",
                                    "addObserver(" + kStateName + ")"}));
  EXPECT_EQ(platform.log.all().back(), "scheduleTimer(2)") << "the watchdog starts last";
  EXPECT_EQ(platform.item().secondaryClickMenu, nullptr);
  EXPECT_EQ(button().themedIconName, "preferences-desktop-screensaver");
  const struct {
    const char* what;
    std::optional<UserInfo> userInfo;
    const char* title;
    std::string toolTip;
  } steps[] = {
      {"active with status", UserInfo{{"active", "true"}, {"status", "下载中"}}, "醒┃",
       "睡眠：保持唤醒 · 下载中"},
      {"missing key", UserInfo{{"status", "S"}}, "眠╮", kNotActiveToolTip},
      {"active without status", UserInfo{{"active", "true"}}, "醒┃", "睡眠：保持唤醒 · 保持唤醒"},
      {"same notification again", UserInfo{{"active", "true"}}, "醒┃", "睡眠：保持唤醒 · 保持唤醒"},
      {"no user info", std::nullopt, "眠╮", kNotActiveToolTip},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    platform.log.clear();
    announce(step.userInfo);
    EXPECT_EQ(platform.log.all(),
              (Log{std::string{"button.setTitle("} + step.title + ")",
                   "button.setFont(system 12.5 semibold)",
                   "button.setToolTip(" + step.toolTip + ")", "item.setLength(-1)"}));
  }
}

TEST_F(SleepAgent, EveryClickPostsAndBringsARunningHostForward) {
  setHost(4242, true);
  launch();
  button().release(Event{platform::kEventTypeLeftMouseUp, 0});
  // The current event, right button or Control included, makes no difference.
  platform.app.withCurrentEvent(Event{platform::kEventTypeRightMouseUp, 0x40000},
                                [&] { delegate->statusItemClicked(); });
  EXPECT_EQ(postedNames(), (Log{kShowName, kShowName}));
  EXPECT_EQ(platform.applications.activations,
            (std::vector<std::pair<std::int32_t, unsigned>>{{4242, 2}, {4242, 2}}));
}

TEST_F(SleepAgent, TerminationRemovesTheObserverSoLaterNotificationsAreIgnored) {
  setHost(4242, false);
  launch();
  platform.log.clear();
  platform.advance(2.0);
  EXPECT_EQ(platform.log.all(),
            (Log{"kill(4242, 0)", "terminate", "timer.invalidate(2)", "removeObserver"}));
  announce(UserInfo{{"active", "true"}});
  EXPECT_EQ(button().title, "眠╮");
}

TEST_F(SleepAgent, WithoutAButtonLaunchCompletesAndRefreshesDoNothing) {
  platform.bar.itemsHaveButtons = false;
  launch();
  EXPECT_TRUE(platform.log.withPrefix("button.").empty());
  EXPECT_TRUE(platform.log.contains("scheduleTimer(2)"));
  platform.log.clear();
  announce(UserInfo{{"active", "true"}});
  EXPECT_TRUE(platform.log.all().empty());
}

}  // namespace
