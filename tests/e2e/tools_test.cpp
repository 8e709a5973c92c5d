#include <algorithm>
#include <regex>
#include <string>

#include "tests/e2e/agent_fixture.h"

namespace e2e {
namespace {

using ToolsTest = AgentFixture;

// A byte a terminal acts on: C0 controls, DEL, or the UTF-8 of a C1 control
// (U+0080...U+009F).
bool hasControl(const std::string& line) {
  return std::ranges::any_of(line,
                             [](unsigned char byte) { return byte < 0x20 || byte == 0x7f; }) ||
         std::regex_search(line, std::regex{"\xc2[\x80-\x9f]"});
}

TEST_F(ToolsTest, TrayViewAndHostSimEscapeEveryControlCharacterTheyPrint) {
  // Standard error too: tray-view reports other programs' texts there.
  Process& watch = start({"sh", "-c", "exec " + std::string{kTrayView} + " watch 2>&1"});
  startAgent(kSleepAgent, std::to_string(startSleeper().id()));
  ASSERT_TRUE(waitForItems(watch, {kSleepAgentId}, 10s));
  // ESC, CR and CSI (U+009B) in the status text the host posts.
  const auto host = run({"sh", "-c",
                         "printf 'awake A\\033[2J\\r\\302\\233B\\n' | exec " +
                             std::string{kHostSim} + " --no-agents 2>&1"});
  ASSERT_TRUE(host);
  ASSERT_TRUE(
      watch.next([](const std::string& line) { return line.find("B\" ") != line.npos; }, 5s));
  for (const Strings* lines : {&*host, &watch.lines()}) {
    for (const std::string& line : *lines) EXPECT_FALSE(hasControl(line)) << line;
  }
}

// Once both items are up (the network item registers when its menu is
// exported), as at a logout.
TEST_F(ToolsTest, BothAgentsEndWithStatusZeroWhenTheSessionBusGoesAway) {
  const auto shown = startBothShown();
  session->stopBus();
  // The fixture requires an empty standard error: no sanitizer report.
  EXPECT_EQ(shown.network.waitForExit(3s), 0);
  EXPECT_EQ(shown.sleep.waitForExit(3s), 0);
}

}  // namespace
}  // namespace e2e
