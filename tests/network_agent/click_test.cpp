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
using platform::kEventTypeRightMouseUp;
using Activations = std::vector<std::pair<std::int32_t, unsigned>>;
using Names = std::vector<std::string>;

using NetworkAgentClicks = NetworkAgentScenario;

TEST(NetworkAgentClickTable, EachClickEitherAsksForTheWindowOrOpensTheMenu) {
  const struct {
    const char* name;
    std::optional<Event> release;  // none runs the action with no current event
    bool opensMenu;
  } cases[] = {
      {"left click", Event{kEventTypeLeftMouseUp, 0}, false},
      {"right click", Event{kEventTypeRightMouseUp, 0}, true},
      {"control-click", Event{kEventTypeLeftMouseUp, 0x40000}, true},
      {"option-click", Event{kEventTypeLeftMouseUp, 0x80000}, false},
      {"command-click", Event{kEventTypeLeftMouseUp, 0x100000}, false},
      {"shift-click", Event{kEventTypeLeftMouseUp, 0x20000}, false},
      {"action with no current event", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkAgentRun run;
    run.setHost(4242, true);
    run.launch();
    run.platform.log.clear();
    if (c.release) {
      run.button().release(*c.release);
    } else {
      run.delegate->statusItemClicked();
    }

    EXPECT_EQ(run.postedNames(), c.opensMenu ? Names{} : Names{run.showWindowName});
    for (const auto& posted : run.platform.notifications.posted) {
      EXPECT_FALSE(posted.userInfo.has_value());
    }
    EXPECT_EQ(run.platform.applications.activations,
              (c.opensMenu ? Activations{} : Activations{{4242, 2}}));
    const Names menuSequence = {"item.setMenu(menu)", "button.performClick", "menu.open",
                                "menu.close", "item.setMenu(none)"};
    EXPECT_EQ(run.platform.log.all() == menuSequence, c.opensMenu);
    EXPECT_EQ(run.item().menu, nullptr);
  }
}

TEST(NetworkAgentHostTable, ClickStillPostsWhenThereIsNoRunningHostToActivate) {
  for (const char* variable : {"0", "4242\n", "4243"}) {
    SCOPED_TRACE(variable);
    NetworkAgentRun run;
    run.setHost(4242, true);
    run.platform.env.variables["QORVN_PARENT_PID"] = variable;
    run.launch();
    run.button().release(Event{kEventTypeLeftMouseUp, 0});
    EXPECT_EQ(run.postedNames(), Names{run.showWindowName});
    EXPECT_TRUE(run.platform.applications.activations.empty());
  }
}

TEST(NetworkAgentMenuTable, ChoosingAnEntryWhileTheMenuIsOpen) {
  const struct {
    const char* title;
    bool chosen;
    bool asksForWindow;
    bool terminates;
  } choices[] = {
      {"打开主界面", true, true, false},
      {"关闭网速显示", true, false, true},  // quits without telling the host
      {"Velmora · 网速显示", false, false, false},
  };
  for (const auto& choice : choices) {
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
    EXPECT_EQ(run.postedNames(), choice.asksForWindow ? Names{run.showWindowName} : Names{});
    EXPECT_EQ(run.platform.app.terminated, choice.terminates);
    EXPECT_EQ(run.platform.loop.validTimerCount(), choice.terminates ? 0u : 2u);
    EXPECT_EQ(run.item().menu, nullptr);
    if (choice.terminates) continue;
    // Once the menu has closed, a left click asks for the window again.
    run.button().release(Event{kEventTypeLeftMouseUp, 0});
    EXPECT_EQ(run.postedNames().size(), choice.asksForWindow ? 2u : 1u);
  }
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
  const Names& all = platform.log.all();
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(Names(all.end() - 4, all.end()),
            (Names{"kill(4242, 0)", "terminate", "timer.invalidate(1)", "timer.invalidate(2)"}));
}

}  // namespace
