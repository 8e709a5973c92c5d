#include "sleep_agent/sleep_status_item_app.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agent_common/agent_entry.h"
#include "agent_common/host_contract.h"
#include "platform/fake/fake_platform.h"

namespace {

using platform::Event;
using platform::UserInfo;

const std::string kHost{agent::kHostIdentifier};
const std::string kStateName = kHost + ".sleepStatusStateChanged";
const std::string kShowName = kHost + ".showSleepManagement";
const std::string kNotActiveToolTip = "睡眠：未开启，系统按默认规则休眠";

// The sleep agent run on the fake platform as its entry point runs it.
struct SleepAgentRun {
  void launch() {
    delegate = std::make_shared<agent::SleepStatusItemApp>(platform, kStateName, kShowName);
    agent::runApplication(platform, delegate);
  }
  void setHost(std::int32_t pid, bool running) {
    platform.env.variables["QORVN_PARENT_PID"] = std::to_string(pid);
    if (running) {
      platform.applications.running.insert(pid);
      platform.probe.results[pid] = 0;
    }
  }
  void announce(const std::optional<UserInfo>& userInfo) {
    platform.notifications.deliver(kStateName, userInfo);
  }
  platform::fake::FakeButton& button() { return *platform.item().fakeButton(); }

  platform::fake::FakePlatform platform;
  std::shared_ptr<agent::SleepStatusItemApp> delegate;
};

class SleepAgent : public ::testing::Test, public SleepAgentRun {};

TEST_F(SleepAgent, ConstructionOnlyReadsTheHostId) {
  delegate = std::make_shared<agent::SleepStatusItemApp>(platform, kStateName, kShowName);
  EXPECT_EQ(platform.log.all(), std::vector<std::string>{"environment(QORVN_PARENT_PID)"});
  EXPECT_FALSE(platform.applicationObtained);
}

TEST_F(SleepAgent, LaunchShowsTheNotActiveStateBeforeObservingAndStartsTheWatchdogLast) {
  launch();
  const std::vector<std::string> expected = {
      "environment(QORVN_PARENT_PID)",
      "sharedApplication",
      "setDelegate",
      "run",
      "setActivationPolicy(1)",
      "statusItem(-1)",
      "button.setImage(none)",
      "button.setImagePosition(0)",
      "button.setAction",
      "button.setFont(system 12.5 semibold)",
      "item.setVisible(true)",
      "button.setTitle(眠╮)",
      "button.setFont(system 12.5 semibold)",
      "button.setToolTip(" + kNotActiveToolTip + ")",
      "item.setLength(-1)",
      "addObserver(" + kStateName + ")",
      "scheduleTimer(2)",
  };
  EXPECT_EQ(platform.log.all(), expected);
  EXPECT_EQ(button().actionMask, platform::kEventMaskLeftMouseUp);
  EXPECT_EQ(platform.item().menu, nullptr);
  EXPECT_EQ(platform.item().secondaryClickMenu, nullptr);
}

struct NotificationCase {
  const char* name;
  std::optional<UserInfo> userInfo;
  int times;
  const char* title;
  std::string toolTip;
};

TEST(SleepAgentNotifications, EachNotificationRewritesTitleAndTooltip) {
  const std::string longStatus(3000, 'x');
  const NotificationCase cases[] = {
      {"active with status", UserInfo{{"active", "true"}, {"status", "下载中"}}, 1, "醒┃",
       "睡眠：保持唤醒 · 下载中"},
      {"active without status", UserInfo{{"active", "true"}}, 1, "醒┃",
       "睡眠：保持唤醒 · 保持唤醒"},
      {"empty status", UserInfo{{"active", "true"}, {"status", ""}}, 1, "醒┃", "睡眠：保持唤醒 · "},
      {"long status shown whole", UserInfo{{"active", "true"}, {"status", longStatus}}, 1, "醒┃",
       "睡眠：保持唤醒 · " + longStatus},
      {"status a number", UserInfo{{"active", "true"}, {"status", 7.0}}, 1, "醒┃",
       "睡眠：保持唤醒 · 保持唤醒"},
      {"capitalised True", UserInfo{{"active", "True"}, {"status", "S"}}, 1, "眠╮",
       kNotActiveToolTip},
      {"digit 1", UserInfo{{"active", "1"}}, 1, "眠╮", kNotActiveToolTip},
      {"Boolean true", UserInfo{{"active", true}}, 1, "眠╮", kNotActiveToolTip},
      {"a number", UserInfo{{"active", 1.0}}, 1, "眠╮", kNotActiveToolTip},
      {"missing key", UserInfo{{"status", "S"}}, 1, "眠╮", kNotActiveToolTip},
      {"no user info", std::nullopt, 1, "眠╮", kNotActiveToolTip},
      {"the same notification twice", UserInfo{{"active", "true"}, {"status", "S"}}, 2, "醒┃",
       "睡眠：保持唤醒 · S"},
  };
  for (const NotificationCase& c : cases) {
    SCOPED_TRACE(c.name);
    SleepAgentRun run;
    run.launch();
    run.platform.log.clear();
    for (int i = 0; i < c.times; ++i) {
      run.announce(c.userInfo);
      EXPECT_EQ(run.button().title, c.title);
      EXPECT_EQ(run.button().toolTip, c.toolTip);
    }
    const std::vector<std::string> refresh = {
        std::string{"button.setTitle("} + c.title + ")",
        "button.setFont(system 12.5 semibold)",
        "button.setToolTip(" + c.toolTip + ")",
        "item.setLength(-1)",
    };
    std::vector<std::string> expected;
    for (int i = 0; i < c.times; ++i)
      expected.insert(expected.end(), refresh.begin(), refresh.end());
    EXPECT_EQ(run.platform.log.all(), expected);
  }
}

TEST_F(SleepAgent, AnyStateCanFollowAnyOther) {
  launch();
  announce(UserInfo{{"active", "true"}, {"status", "A"}});
  EXPECT_EQ(button().title, "醒┃");
  announce(UserInfo{{"active", "false"}, {"status", "B"}});
  EXPECT_EQ(button().title, "眠╮");
  EXPECT_EQ(button().toolTip, kNotActiveToolTip);
  announce(UserInfo{{"active", "true"}});
  EXPECT_EQ(button().toolTip, "睡眠：保持唤醒 · 保持唤醒");
  announce(std::nullopt);
  EXPECT_EQ(button().title, "眠╮");
}

struct ClickCase {
  const char* name;
  std::optional<std::string> variable;
  bool hostRunning;
  // Host lookups per click.
  std::size_t lookups;
  std::vector<std::pair<std::int32_t, unsigned>> activations;
};

TEST(SleepAgentClicks, EveryClickPostsAndBringsARunningHostForward) {
  const ClickCase cases[] = {
      {"running host", "4242", true, 1, {{4242, 2}}},
      {"host not running", "4242", false, 1, {}},
      {"host id 0", "0", false, 0, {}},
      {"negative host id", "-4242", false, 0, {}},
      {"no variable", std::nullopt, false, 0, {}},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    SleepAgentRun run;
    if (c.variable) run.platform.env.variables["QORVN_PARENT_PID"] = *c.variable;
    if (c.hostRunning) run.platform.applications.running.insert(4242);
    run.launch();

    run.button().release(Event{platform::kEventTypeLeftMouseUp, 0});
    // The current event, right button or Control included, makes no difference.
    run.platform.app.withCurrentEvent(Event{platform::kEventTypeRightMouseUp, 0x40000},
                                      [&] { run.delegate->statusItemClicked(); });

    ASSERT_EQ(run.platform.notifications.posted.size(), 2u);
    for (const auto& posted : run.platform.notifications.posted) {
      EXPECT_EQ(posted.name, kShowName);
      EXPECT_FALSE(posted.userInfo.has_value());
    }
    std::vector<std::pair<std::int32_t, unsigned>> twice = c.activations;
    twice.insert(twice.end(), c.activations.begin(), c.activations.end());
    EXPECT_EQ(run.platform.applications.activations, twice);
    EXPECT_EQ(run.platform.log.withPrefix("findApplication(").size(), 2 * c.lookups);
  }
}

TEST_F(SleepAgent, WatchdogEndsTheAgentAndLaterNotificationsAreIgnored) {
  setHost(4242, false);
  launch();
  platform.advance(1.99);
  EXPECT_FALSE(platform.app.terminated);
  platform.log.clear();

  platform.advance(0.01);
  const std::vector<std::string> expected = {"kill(4242, 0)", "terminate", "timer.invalidate(2)",
                                             "removeObserver"};
  EXPECT_EQ(platform.log.all(), expected);
  EXPECT_EQ(platform.notifications.observerCount(), 0u);

  announce(UserInfo{{"active", "true"}});
  EXPECT_EQ(button().title, "眠╮");
  EXPECT_TRUE(platform.notifications.posted.empty());
}

TEST_F(SleepAgent, SystemTerminationStopsTheWatchdogAndTheObserver) {
  setHost(4242, false);
  launch();
  delegate->applicationWillTerminate();
  platform.log.clear();

  platform.advance(10.0);
  announce(UserInfo{{"active", "true"}});
  EXPECT_TRUE(platform.log.all().empty());
  EXPECT_EQ(platform.loop.validTimerCount(), 0u);
}

TEST_F(SleepAgent, WithoutAButtonLaunchCompletesAndRefreshesDoNothing) {
  platform.bar.itemsHaveButtons = false;
  launch();
  const std::vector<std::string> expected = {
      "environment(QORVN_PARENT_PID)",
      "sharedApplication",
      "setDelegate",
      "run",
      "setActivationPolicy(1)",
      "statusItem(-1)",
      "item.setVisible(true)",
      "addObserver(" + kStateName + ")",
      "scheduleTimer(2)",
  };
  EXPECT_EQ(platform.log.all(), expected);

  platform.log.clear();
  announce(UserInfo{{"active", "true"}});
  EXPECT_TRUE(platform.log.all().empty());
}

TEST_F(SleepAgent, ObserverAndWatchdogDoNothingOnceTheDelegateIsGone) {
  setHost(4242, false);
  launch();
  delegate.reset();
  platform.log.clear();

  announce(UserInfo{{"active", "true"}});
  platform.advance(4.0);
  EXPECT_TRUE(platform.log.all().empty());
  EXPECT_FALSE(platform.app.terminated);
}

}  // namespace
