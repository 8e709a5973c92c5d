#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/e2e/agent_fixture.h"

namespace e2e {
namespace {

// Every test ends each agent still running with SIGTERM and requires status
// 0 and an empty standard error of it: that is where those are tested.
using TrayTest = AgentFixture;

TEST_F(TrayTest, EachClickPostsItsRequestToTheHostOrNothingAndQuitEndsTheNetworkAgent) {
  Process& watch = start({kTrayView, "watch"});
  // host-sim ends at the end of its input: a sleep keeps that open.
  Process& host = start({"sh", "-c", "sleep 1000 | " + std::string{kHostSim} + " --no-agents"});
  Process& network = startAgent(kNetworkAgent, std::to_string(host.id()));
  startAgent(kSleepAgent, std::to_string(host.id()));
  ASSERT_TRUE(waitForItems(watch, {kNetworkAgentId, kSleepAgentId}, 10s));

  // "<id> <label> [flags]" at the top level: the ids are the menu's own.
  const auto menu = run({kTrayView, "menu", kNetworkAgentId});
  ASSERT_TRUE(menu);
  Strings entries;
  for (const auto& line : *menu) entries.push_back(line.substr(line.find(' ') + 1));
  const Strings expected = {"\"Velmora · 网速显示\" disabled", "\"\" separator", "\"打开主界面\"",
                            "\"\" separator", "\"关闭网速显示\""};
  EXPECT_EQ(entries, expected);

  // The host's request for each click; empty when nothing may be posted.
  const struct {
    Strings click;
    std::string request;
  } clicks[] = {
      {{kTrayView, "activate", kNetworkAgentId}, "showWindow"},
      {{kTrayView, "context", kNetworkAgentId}, ""},
      {{kTrayView, "menu-click", kNetworkAgentId, "打开主界面"}, "showWindow"},
      {{kTrayView, "activate", kSleepAgentId}, "showSleepManagement"},
      {{kTrayView, "menu-click", kNetworkAgentId, "关闭网速显示"}, ""},
  };
  for (const auto& [click, request] : clicks) {
    SCOPED_TRACE(click.back());
    ASSERT_TRUE(run(click));
    const auto seen = host.next(
        [](const std::string& line) { return line.find(" host: show") != std::string::npos; },
        request.empty() ? 500ms : 2s);
    EXPECT_EQ(seen ? seen->substr(seen->find(" host: ") + 7) : "", request);
  }
  EXPECT_EQ(network.waitForExit(3s), 0) << "关闭网速显示 ends the network agent";
}

// Started with descriptors 0-2 closed, the bus socket would be descriptor 2,
// and fontconfig's warning about LC_CTYPE=UTF-8 (a locale name it refuses)
// would be written into the bus stream, which makes the bus drop the agent.
TEST_F(TrayTest, AgentsStartedWithClosedStandardDescriptorsKeepTheirItems) {
  const auto shown =
      startBothShown({"env", "LC_CTYPE=UTF-8", "sh", "-c", "exec \"$0\" <&- >&- 2>&-"});
  // A few refreshes, each drawing the picture again.
  EXPECT_FALSE(
      shown.watch.next([](const std::string& line) { return line.starts_with("gone "); }, 3s))
      << "an item went";
  EXPECT_FALSE(shown.network.waitForExit(0s)) << "the network agent ended";
  EXPECT_FALSE(shown.sleep.waitForExit(0s)) << "the sleep agent ended";
}

// The width of the network item's picture in a line of `tray-view watch`; 0
// for another item or no picture.
int networkWidth(const std::string& line) {
  return line.starts_with("item network-status-agent ") ? std::atoi(&line[line.rfind(" icon=") + 6])
                                                        : 0;
}

// The shape is decided again for each tray host program, and the user's
// shape file overrides it for a running agent, both ways.
TEST_F(TrayTest, ARestartedTrayGetsBothItemsWithinASecondInTheShapeForItsProgramOrTheUsersFile) {
  // The same tray under a name no host has: the agents cannot know it.
  const std::string unknownHost = home + "/some-tray";
  std::filesystem::copy_file(kTrayView, unknownHost);
  std::filesystem::permissions(unknownHost, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const auto wide = [](const std::string& line) { return networkWidth(line) > 88; };
  const auto square = [](const std::string& line) {
    return networkWidth(line) > 0 && line.ends_with(" icon=44x44");
  };
  // Lines a wait for the items has taken count too.
  Process& first = startBothShown().watch;
  EXPECT_TRUE(std::ranges::any_of(first.lines(), wide) || first.next(wide, 10s))
      << "tray-view keeps the shape: the wide picture";
  kill(first.id(), SIGKILL);
  ASSERT_TRUE(first.waitForExit(5s));
  Process& second = start({unknownHost, "watch"});
  EXPECT_TRUE(waitForItems(second, {kNetworkAgentId, kSleepAgentId}, 1s));
  EXPECT_TRUE(std::ranges::any_of(second.lines(), square) || second.next(square, 5s))
      << "an unknown host gets the square";
  const std::string file = "config/velmora-status-agents/tray.conf";
  writeFile(file, "[Tray]\nShape= Wide \n");
  EXPECT_TRUE(second.next(wide, 5s)) << "the user's file did not widen the picture";
  writeFile(file, "[Tray]\nShape=auto\n");
  EXPECT_TRUE(second.next(square, 5s)) << "the picture did not turn square again";
}

}  // namespace
}  // namespace e2e
