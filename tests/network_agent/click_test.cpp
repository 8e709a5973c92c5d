#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/network_agent/network_agent_scenario.h"

namespace {

using platform::Event;
using platform::kEventTypeLeftMouseUp;
using platform::kEventTypeRightMouseUp;
using Activations = std::vector<std::pair<std::int32_t, unsigned>>;
using Names = std::vector<std::string>;

// The host runs when its id is 4242.
TEST(NetworkAgentClickTable, EachClickEitherAsksForTheWindowOrOpensTheMenu) {
  const struct {
    const char* name;
    std::int32_t host;
    std::optional<Event> release;  // none runs the action with no current event
    bool opensMenu;
  } cases[] = {
      {"left click", 4242, Event{kEventTypeLeftMouseUp, 0}, false},
      {"right click", 4242, Event{kEventTypeRightMouseUp, 0}, true},
      {"control-click", 4242, Event{kEventTypeLeftMouseUp, 0x40000}, true},
      {"option-click", 4242, Event{kEventTypeLeftMouseUp, 0x80000}, false},
      {"action with no current event", 4242, std::nullopt, false},
      {"host id 0: posts, activates nothing", 0, Event{kEventTypeLeftMouseUp, 0}, false},
      {"host not running: posts only", 4243, Event{kEventTypeLeftMouseUp, 0}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkAgentRun run;
    run.setHost(c.host, c.host == 4242);
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
              (c.opensMenu || c.host != 4242 ? Activations{} : Activations{{4242, 2}}));
    const Names menuSequence = {"item.setMenu(menu)", "button.performClick", "menu.open",
                                "menu.close", "item.setMenu(none)"};
    EXPECT_EQ(run.platform.log.all() == menuSequence, c.opensMenu);
    EXPECT_EQ(run.item().menu, nullptr);
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
  }
}

}  // namespace
