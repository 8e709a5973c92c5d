#include "network_agent/app/network_speed_status_item_app.h"

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
using platform::kEventTypeLeftMouseUp;
using platform::kEventTypeRightMouseUp;
using platform::fake::formatNumber;
using Log = std::vector<std::string>;
using Activations = std::vector<std::pair<std::int32_t, unsigned>>;

// The network agent on the fake platform, reading its options from the host's
// defaults suite.
class NetworkAgentRun : public agent::testing::AgentScenario<agent::NetworkSpeedStatusItemApp> {
 public:
  const std::string suiteName{agent::kHostIdentifier};
  const std::string showWindowName = suiteName + ".showWindow";

  void launch() { AgentScenario::launch(suiteName); }

  // One counted interface with these cumulative byte counters.
  void setCounters(std::uint64_t receivedBytes, std::uint64_t sentBytes) {
    platform::InterfaceEntry entry{.name = "en0", .linkLevel = true, .up = true};
    entry.hasStatistics = true;
    entry.receivedBytes = receivedBytes;
    entry.sentBytes = sentBytes;
    platform.interfaces.reading = std::vector{entry};
  }

  platform::fake::FakeStatusItem& item() { return platform.item(); }
  double imageWidth() { return button().image->size().width; }
};

class NetworkAgentLaunch : public ::testing::Test, public NetworkAgentRun {};

TEST_F(NetworkAgentLaunch, AttachesTheMenuBeforeTheFirstRefreshAndEachTickShowsNewRatesAndOptions) {
  std::uint64_t received = 5'000'000;
  std::uint64_t sent = 0;
  setCounters(received, sent);
  launch();

  EXPECT_TRUE(platform.log.inOrder({"defaults.openSuite(" + suiteName + ")",
                                    "environment(QORVN_PARENT_PID)", "item.setVisible(true)",
                                    "item.setSecondaryClickMenu(menu)",
                                    "defaults.synchronize(" + suiteName + ")",
                                    "item.setLength(" + formatNumber(imageWidth() + 6) + ")",
                                    "button.setToolTip(上传 0 KB/s · 下载 0 KB/s · RAM 63%)",
                                    "scheduleTimer(1)", "scheduleTimer(2)"}));
  EXPECT_EQ(button().image, platform.drawing.images.at(0));
  EXPECT_EQ(button().themedIconName, "network-transmit-receive");
  const struct {
    std::uint64_t receivedIncrease, sentIncrease;  // bytes over the one-second tick
    platform::fake::DefaultsDomain stored;         // written by the host within the tick
    const char* toolTip;
    int lengthChange;  // -1 shrinks, 0 stays, 1 grows
    // Each line of the compact reading as cue and text, one space apart.
    const char* compact;
  } steps[] = {
      {999'000, 0, {}, "上传 0 KB/s · 下载 999 KB/s · RAM 63%", 1, "↑0 ↓999K RAM 63%"},
      {5, 0, {{"networkSpeedShowMemoryV1", false}}, "上传 0 KB/s · 下载 5 B/s", -1, "↑0 ↓0"},
      {5,
       1'600,
       {{"networkSpeedShowGPUV1", true}, {"networkSpeedShowCPUV1", true}},
       "上传 2 KB/s · 下载 5 B/s · RAM 63% · CPU 0% · GPU 37%",
       1,
       "↑1.6K ↓0 RAM 63% CPU 0% GPU 37%"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.toolTip);
    const std::string toolTipBefore = button().toolTip;
    const double lengthBefore = item().length();
    received += step.receivedIncrease;
    sent += step.sentIncrease;
    setCounters(received, sent);
    platform.defaults.suites[suiteName] = step.stored;

    platform.advance(0.5);
    EXPECT_EQ(button().toolTip, toolTipBefore);
    platform.advance(0.5);
    EXPECT_EQ(button().toolTip, step.toolTip);
    EXPECT_EQ(button().image, platform.drawing.images.back());
    EXPECT_EQ(item().length(), imageWidth() + 6);
    EXPECT_EQ((item().length() > lengthBefore) - (item().length() < lengthBefore),
              step.lengthChange);
    std::string compact;
    for (const auto& line : button().compactReading) {
      compact += (compact.empty() ? "" : " ") + line.cue + line.text;
    }
    EXPECT_EQ(compact, step.compact);
  }
  // Each refresh reads the options afresh from the suite opened once.
  EXPECT_EQ(platform.log.withPrefix("defaults.openSuite(").size(), 1u);
  EXPECT_EQ(platform.log.withPrefix("defaults.synchronize(").size(), 1u + std::size(steps));
}

TEST_F(NetworkAgentLaunch, WithoutAButtonLaunchCompletesAndEveryRefreshStillSetsTheLength) {
  platform.bar.itemsHaveButtons = false;
  launch();
  platform.advance(3.0);

  EXPECT_TRUE(platform.log.withPrefix("button.").empty());
  EXPECT_TRUE(item().visible);
  const double width = platform.drawing.images.back()->size().width + 6;
  EXPECT_EQ(platform.log.withPrefix("item.setLength("),
            Log(4, "item.setLength(" + formatNumber(width) + ")"));

  // A secondary click still attaches and detaches the menu, with nothing to click.
  platform.app.withCurrentEvent(Event{kEventTypeRightMouseUp, 0},
                                [&] { delegate->statusItemClicked(); });
  EXPECT_EQ(platform.log.withPrefix("item.setMenu("),
            (Log{"item.setMenu(menu)", "item.setMenu(none)"}));
}

// The watchdog's first tick ends the agent; termination stops both timers, so
// that no refresh or watchdog check follows.
TEST_F(NetworkAgentLaunch, WatchdogEndsTheAgentAtItsFirstTickAndNothingRunsAfterTermination) {
  setHost(4242, false);
  launch();
  platform.log.clear();
  platform.advance(2.0);

  const Log& all = platform.log.all();
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(Log(all.end() - 4, all.end()),
            (Log{"kill(4242, 0)", "terminate", "timer.invalidate(1)", "timer.invalidate(2)"}));
  platform.log.clear();
  platform.advance(10.0);
  EXPECT_TRUE(platform.log.all().empty());
}

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

    EXPECT_EQ(run.postedNames(), c.opensMenu ? Log{} : Log{run.showWindowName});
    for (const auto& posted : run.platform.notifications.posted) {
      EXPECT_FALSE(posted.userInfo.has_value());
    }
    EXPECT_EQ(run.platform.applications.activations,
              (c.opensMenu || c.host != 4242 ? Activations{} : Activations{{4242, 2}}));
    const Log menuSequence = {"item.setMenu(menu)", "button.performClick", "menu.open",
                              "menu.close", "item.setMenu(none)"};
    EXPECT_EQ(run.platform.log.all() == menuSequence, c.opensMenu);
    EXPECT_EQ(run.item().menu, nullptr);
  }
}

}  // namespace
