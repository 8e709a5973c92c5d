#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "network_agent_scenario.h"

namespace {

using platform::Event;
using platform::kEventTypeLeftMouseUp;
using platform::kEventTypeOtherMouseUp;
using platform::kEventTypeRightMouseUp;

using NetworkAgentClicks = NetworkAgentScenario;

enum class Outcome { asksForWindow, opensMenu, nothing };

struct ClickCase {
  const char* name;
  // The released button and modifiers; none runs the action with no current event.
  std::optional<Event> release;
  Outcome outcome;
};

const ClickCase kClickCases[] = {
    {"left click", Event{kEventTypeLeftMouseUp, 0}, Outcome::asksForWindow},
    {"right click", Event{kEventTypeRightMouseUp, 0}, Outcome::opensMenu},
    {"control-click", Event{kEventTypeLeftMouseUp, 0x40000}, Outcome::opensMenu},
    {"control with other modifiers", Event{kEventTypeLeftMouseUp, 0x1C0000}, Outcome::opensMenu},
    {"option-click", Event{kEventTypeLeftMouseUp, 0x80000}, Outcome::asksForWindow},
    {"command-click", Event{kEventTypeLeftMouseUp, 0x100000}, Outcome::asksForWindow},
    {"shift-click", Event{kEventTypeLeftMouseUp, 0x20000}, Outcome::asksForWindow},
    {"right click with option", Event{kEventTypeRightMouseUp, 0x80000}, Outcome::opensMenu},
    {"middle click", Event{kEventTypeOtherMouseUp, 0}, Outcome::nothing},
    {"action with no current event", std::nullopt, Outcome::asksForWindow},
};

TEST(NetworkAgentClickTable, EachClickEitherAsksForTheWindowOrOpensTheMenu) {
  for (const ClickCase& c : kClickCases) {
    SCOPED_TRACE(c.name);
    NetworkAgentRun run;
    run.setHost(4242, true);
    run.launch();
    run.platform.log.clear();
    bool menuWasAttached = false;
    run.button().whileMenuOpen = [&](platform::fake::FakeMenu& open) {
      menuWasAttached = &open == &run.menu();
    };

    if (c.release) {
      run.button().release(*c.release);
    } else {
      run.delegate->statusItemClicked();
    }

    const bool asks = c.outcome == Outcome::asksForWindow;
    EXPECT_EQ(run.postedNames(),
              asks ? std::vector<std::string>{run.showWindowName} : std::vector<std::string>{});
    for (const auto& posted : run.platform.notifications.posted) {
      EXPECT_FALSE(posted.userInfo.has_value());
    }
    EXPECT_EQ(run.platform.applications.activations,
              (asks ? std::vector<std::pair<std::int32_t, unsigned>>{{4242, 2}}
                    : std::vector<std::pair<std::int32_t, unsigned>>{}));
    const std::vector<std::string> menuSequence = {"item.setMenu(menu)", "button.performClick",
                                                   "menu.open", "menu.close", "item.setMenu(none)"};
    EXPECT_EQ(run.platform.log.all() == menuSequence, c.outcome == Outcome::opensMenu);
    EXPECT_EQ(menuWasAttached, c.outcome == Outcome::opensMenu);
    EXPECT_EQ(run.item().menu, nullptr);
  }
}

struct HostCase {
  const char* name;
  std::optional<std::string> variable;
  bool hostRunning;
  std::vector<std::string> lookups;
  std::vector<std::pair<std::int32_t, unsigned>> activations;
};

TEST(NetworkAgentHostTable, ClickAlwaysPostsButActivatesOnlyARunningHost) {
  const HostCase cases[] = {
      {"running host", "4242", true, {"findApplication(4242)"}, {{4242, 2}}},
      {"host not running", "4242", false, {"findApplication(4242)"}, {}},
      {"host id 0", "0", false, {}, {}},
      {"negative host id", "-4242", false, {}, {}},
      {"unusable host id", "4242\n", false, {}, {}},
      {"no variable", std::nullopt, false, {}, {}},
  };
  for (const HostCase& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkAgentRun run;
    if (c.variable) run.platform.env.variables["QORVN_PARENT_PID"] = *c.variable;
    if (c.hostRunning) run.platform.applications.running.insert(4242);
    run.launch();

    run.button().release(Event{kEventTypeLeftMouseUp, 0});
    EXPECT_EQ(run.postedNames(), std::vector<std::string>{run.showWindowName});
    EXPECT_EQ(run.platform.log.withPrefix("findApplication("), c.lookups);
    EXPECT_EQ(run.platform.applications.activations, c.activations);
  }
}

TEST_F(NetworkAgentClicks, MenuHasFiveEntriesWithoutShortcuts) {
  launch();
  const auto& entries = menu().entries;
  ASSERT_EQ(entries.size(), 5u);
  struct Expected {
    const char* title;
    bool separator;
    bool enabled;
    bool hasAction;
  };
  const Expected expected[] = {
      {"Velmora · 网速显示", false, false, false}, {"", true, false, false},
      {"打开主界面", false, true, true},           {"", true, false, false},
      {"关闭网速显示", false, true, true},
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].title, expected[i].title);
    EXPECT_EQ(entries[i].separator, expected[i].separator);
    if (expected[i].separator) continue;
    EXPECT_EQ(entries[i].enabled, expected[i].enabled);
    EXPECT_EQ(static_cast<bool>(entries[i].action), expected[i].hasAction);
    EXPECT_EQ(entries[i].keyEquivalent, "");
  }
}

struct MenuChoice {
  const char* title;
  bool chosen;
  bool asksForWindow;
  bool terminates;
};

TEST(NetworkAgentMenuTable, ChoosingAnEntryWhileTheMenuIsOpen) {
  const MenuChoice choices[] = {
      {"打开主界面", true, true, false},
      {"关闭网速显示", true, false, true},
      {"Velmora · 网速显示", false, false, false},
  };
  for (const MenuChoice& choice : choices) {
    SCOPED_TRACE(choice.title);
    NetworkAgentRun run;
    run.setHost(4242, true);
    run.launch();
    bool chosen = false;
    run.button().whileMenuOpen = [&](platform::fake::FakeMenu& open) {
      chosen = open.choose(choice.title);
    };

    run.button().release(Event{kEventTypeRightMouseUp, 0});
    EXPECT_EQ(chosen, choice.chosen);
    EXPECT_EQ(run.postedNames(), choice.asksForWindow ? std::vector<std::string>{run.showWindowName}
                                                      : std::vector<std::string>{});
    EXPECT_EQ(run.platform.applications.activations.size(), choice.asksForWindow ? 1u : 0u);
    EXPECT_EQ(run.platform.app.terminated, choice.terminates);
    EXPECT_EQ(run.platform.loop.validTimerCount(), choice.terminates ? 0u : 2u);
    EXPECT_EQ(run.item().menu, nullptr);
  }
}

TEST_F(NetworkAgentClicks, AfterTheMenuClosesALeftClickAsksForTheWindowAgain) {
  setHost(4242, true);
  launch();
  button().whileMenuOpen = [](platform::fake::FakeMenu& open) { open.choose("打开主界面"); };
  button().release(Event{kEventTypeRightMouseUp, 0});
  button().release(Event{kEventTypeLeftMouseUp, 0});
  button().release(Event{kEventTypeLeftMouseUp, 0});
  EXPECT_EQ(postedNames(), std::vector<std::string>(3, showWindowName));
  EXPECT_EQ(platform.log.withPrefix("menu.open").size(), 1u);
}

TEST_F(NetworkAgentClicks, SecondaryClickBeforeTheItemExistsDoesNothingAtAll) {
  setHost(4242, true);
  delegate = std::make_shared<agent::NetworkSpeedStatusItemApp>(platform, suiteName);
  platform.log.clear();
  platform.app.withCurrentEvent(Event{kEventTypeRightMouseUp, 0},
                                [&] { delegate->statusItemClicked(); });
  EXPECT_EQ(platform.log.all(), std::vector<std::string>{"sharedApplication"});
  EXPECT_TRUE(platform.notifications.posted.empty());
}

TEST_F(NetworkAgentClicks, QuitEndsTheAgentWithoutTellingTheHost) {
  setHost(4242, true);
  launch();
  platform.log.clear();
  delegate->quit();

  const std::vector<std::string> expected = {"terminate", "timer.invalidate(1)",
                                             "timer.invalidate(2)"};
  EXPECT_EQ(platform.log.all(), expected);
  EXPECT_TRUE(platform.notifications.posted.empty());
  EXPECT_TRUE(platform.applications.activations.empty());
}

TEST_F(NetworkAgentClicks, NoRefreshOrWatchdogCheckRunsAfterTermination) {
  setHost(4242, false);
  launch();
  // Termination as the system asks for it: the run loop itself goes on.
  delegate->applicationWillTerminate();
  const int reads = platform.interfaces.readCount;

  platform.advance(10.0);
  EXPECT_EQ(platform.interfaces.readCount, reads);
  EXPECT_TRUE(platform.log.withPrefix("kill(").empty());
  EXPECT_FALSE(platform.app.terminated);
  EXPECT_EQ(platform.loop.validTimerCount(), 0u);
}

TEST_F(NetworkAgentClicks, WatchdogEndsTheAgentAtItsFirstTickWhenTheHostIsGone) {
  setHost(4242, false);
  launch();
  platform.advance(1.99);
  EXPECT_FALSE(platform.app.terminated);
  platform.log.clear();

  platform.advance(0.01);
  EXPECT_TRUE(platform.app.terminated);
  const std::vector<std::string> tail = {"kill(4242, 0)", "terminate", "timer.invalidate(1)",
                                         "timer.invalidate(2)"};
  const auto& all = platform.log.all();
  ASSERT_GE(all.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(all.end() - 4, all.end()), tail);
  EXPECT_TRUE(platform.notifications.posted.empty());
}

}  // namespace
