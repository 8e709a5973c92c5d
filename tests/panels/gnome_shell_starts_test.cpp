#include <signal.h>

#include <cstdlib>
#include <thread>

#include "tests/panels/panel_fixture.h"

namespace e2e {
namespace {

// Starts of the shell: VELMORA_SHELL_STARTS, 20 when unset.
int shellStarts() {
  const char* value = std::getenv("VELMORA_SHELL_STARTS");
  const int starts = value != nullptr ? std::atoi(value) : 0;
  return starts > 0 ? starts : 20;
}

// The extension forgets an item about a second after reading it, if it does.
constexpr auto kForgetting = 3s;

class GnomeShellStartsTest : public PanelFixture {};

// Each start: a fresh shell on the same display and buses, then both agents;
// the watcher must announce both items and forget neither.
TEST_F(GnomeShellStartsTest, BothItemsRegisterAndStayInEveryStartOfTheShell) {
  const PanelSetup setup = gnomeShell(false);
  startPanel(setup);
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string host = std::to_string(startSleeper().id());
  int lost = 0;
  const int starts = shellStarts();
  std::unique_ptr<Process> shell;
  for (int start = 1; start <= starts; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    if (start > 1) {
      // The shell before is gone, with its watcher, before the next starts.
      if (start == 2) kill(-panel->id(), SIGTERM);
      ASSERT_TRUE(panel->waitForExit(10s));
      shell.reset();
      shell = std::make_unique<Process>(setup.command, environment);
      Process wait{
          {"gdbus", "wait", "--session", "--timeout", "60", "org.kde.StatusNotifierWatcher"},
          environment};
      ASSERT_EQ(wait.waitForExit(65s), 0) << "the shell's watcher never came";
    }
    Process watcher{{"gdbus", "monitor", "--session", "--dest", "org.kde.StatusNotifierWatcher"},
                    environment};
    // The monitor is listening once it has printed its first line.
    ASSERT_TRUE(watcher.next([](const std::string&) { return true; }, 10s));
    Process& network = startAgent(kNetworkAgent, host);
    Process& sleep = startAgent(kSleepAgent, host);
    Strings names = {itemBusName(network), itemBusName(sleep)};
    const auto registered = watcher.next(
        [&](const std::string& line) {
          if (line.find("StatusNotifierItemRegistered") == std::string::npos) return false;
          std::erase_if(names, [&](const auto& name) { return line.find(name) != line.npos; });
          return names.empty();
        },
        30s);
    EXPECT_TRUE(registered) << "not registered: " << (names.empty() ? "" : names.front());
    const auto forgotten = watcher.next(
        [](const std::string& line) {
          return line.find("StatusNotifierItemUnregistered") != std::string::npos;
        },
        kForgetting);
    EXPECT_FALSE(forgotten) << *forgotten;
    lost += registered && !forgotten ? 0 : 1;
    for (Process* agent : {&network, &sleep}) kill(agent->id(), SIGTERM);
    for (Process* agent : {&network, &sleep}) EXPECT_EQ(agent->waitForExit(5s), 0);
  }
  std::printf("both items stayed in %d of %d starts of the shell\n", starts - lost, starts);
}

}  // namespace
}  // namespace e2e
