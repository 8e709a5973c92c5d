#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/agent_fixture.h"
#include "tests/e2e/programs.h"

namespace e2e {
namespace {

// How long a request may take to reach the host, and how long the host is
// watched for one that must not come.
constexpr auto kRequestLimit = 2s;
constexpr auto kSilence = 500ms;

LineMatch hostSaw(const std::string& notification) {
  return [suffix = " host: " + notification](const std::string& line) {
    return line.ends_with(suffix);
  };
}

struct Click {
  const char* name;
  std::vector<std::string> command;
  // The host's line for the request; empty when nothing may be posted.
  std::string request;
};

class ClicksTest : public AgentFixture {
 protected:
  void SetUp() override {
    AgentFixture::SetUp();
    if (HasFatalFailure()) return;
    watch = &startWatch();
    host = &startHost();
    const std::string hostPid = std::to_string(host->id());
    network = &startAgent(kNetworkAgent, hostPid);
    sleep = &startAgent(kSleepAgent, hostPid);
    ASSERT_TRUE(waitForItems(*watch, {kNetworkAgentId, kSleepAgentId}, 10s))
        << "the items did not reach the tray";
  }

  Process* watch = nullptr;
  Process* host = nullptr;
  Process* network = nullptr;
  Process* sleep = nullptr;
};

TEST_F(ClicksTest, EachClickPostsItsRequestToTheHostOrNothing) {
  const std::vector<Click> clicks = {
      {"left click on the network item", {"activate", kNetworkAgentId}, "showWindow"},
      {"right click on the network item", {"context", kNetworkAgentId}, ""},
      {"menu entry 打开主界面", {"menu-click", kNetworkAgentId, "打开主界面"}, "showWindow"},
      {"left click on the sleep item", {"activate", kSleepAgentId}, "showSleepManagement"},
      // The sleep item's button fires on the left button's release alone.
      {"right click on the sleep item", {"context", kSleepAgentId}, ""},
      {"left click on the network item again", {"activate", kNetworkAgentId}, "showWindow"},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.name);
    ASSERT_EQ(trayView(click.command).exitCode, 0);
    if (click.request.empty()) {
      EXPECT_TRUE(host->output().noneWithin(
          [](const std::string& line) { return line.find(" host: show") != std::string::npos; },
          kSilence));
    } else {
      EXPECT_TRUE(host->output().next(hostSaw(click.request), kRequestLimit));
    }
  }
  EXPECT_TRUE(host->output().noneWithin(hostSaw("showSleepManagement"), kSilence))
      << "a request came twice";
}

TEST_F(ClicksTest, NetworkMenuListsTheHeadingTheTwoCommandsAndSeparators) {
  const ToolRun menu = trayView({"menu", kNetworkAgentId});
  ASSERT_EQ(menu.exitCode, 0);
  // "<id> <label> [flags]", the id left out: the numbers are the menu's own.
  static const std::regex entry{"([0-9]+) (.*)"};
  std::vector<std::string> entries;
  for (const auto& line : menu.lines) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(line, parts, entry)) << "not a top-level entry: " << line;
    entries.push_back(parts[2]);
  }
  const std::vector<std::string> expected = {"\"Velmora · 网速显示\" disabled", "\"\" separator",
                                             "\"打开主界面\"", "\"\" separator",
                                             "\"关闭网速显示\""};
  EXPECT_EQ(entries, expected);
}

TEST_F(ClicksTest, DisabledHeadingCannotBeChosen) {
  const ToolRun menu = trayView({"menu", kNetworkAgentId});
  ASSERT_EQ(menu.exitCode, 0);
  ASSERT_FALSE(menu.lines.empty());
  const std::string heading = menu.lines.front().substr(0, menu.lines.front().find(' '));
  // tray-view refuses a disabled entry, so the click goes to the menu
  // directly, as a tray host that ignored the flag would send it.
  const ToolRun click = session->run(
      {"gdbus", "call", "--session", "--dest", itemBusName(*network), "--object-path", "/MenuBar",
       "--method", "com.canonical.dbusmenu.Event", heading, "clicked", "<0>", "0"});
  EXPECT_EQ(click.exitCode, 0);
  EXPECT_TRUE(host->output().noneWithin(
      [](const std::string& line) { return line.find(" host: show") != std::string::npos; },
      kSilence));
  EXPECT_TRUE(network->running());
}

TEST_F(ClicksTest, QuitEntryEndsTheNetworkAgentWithoutTellingTheHost) {
  ASSERT_EQ(trayView({"menu-click", kNetworkAgentId, "关闭网速显示"}).exitCode, 0);
  EXPECT_EQ(network->waitForExit(3s), 0);
  EXPECT_TRUE(host->output().noneWithin(hostSaw("showWindow"), kSilence));
  EXPECT_TRUE(watch->output().next(
      [](const std::string& line) { return line == std::string{"gone "} + kNetworkAgentId; }, 2s))
      << "the tray still shows the network item";
  EXPECT_TRUE(sleep->running()) << "the other agent ends with it";
}

}  // namespace
}  // namespace e2e
