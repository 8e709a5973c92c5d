#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/desktop_session.h"
#include "tests/e2e/process.h"
#include "tests/e2e/tray_line.h"

namespace e2e {

using ItemMatch = std::function<bool(const ItemLine&)>;

// A test with its own desktop session, which starts the agents and the
// tools on it. At the end every agent still running gets SIGTERM; each
// agent must then have exited with status 0 and written nothing to its
// standard error. Every process the test started is gone afterwards.
class AgentFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts an agent with QORVN_PARENT_PID = parentPid (unset when absent).
  // `prefix` goes before the program on the command line (e.g. setpriv).
  Process& startAgent(const std::string& program, const std::optional<std::string>& parentPid,
                      const std::vector<std::string>& prefix = {});
  // `tray-view watch`, the tray host.
  Process& startWatch();
  // `host-sim --no-agents`, the host: commands on its input, what it sees
  // on its output.
  Process& startHost();
  // A process that only lives, as a host stand-in.
  Process& startSleeper();
  // Any other program on the session, ended with the test.
  Process& startHelper(Launch launch, const Environment& extra = {});
  // A pid that no process has: a child that was started and reaped.
  pid_t deadPid();

  ToolRun trayView(std::vector<std::string> arguments);
  // The next line of `watch` about item `id` that matches.
  std::optional<ItemLine> nextItem(Process& watch, const std::string& id, const ItemMatch& match,
                                   Clock::duration limit);
  // Waits until `watch` has shown an item for each id, in any order.
  bool waitForItems(Process& watch, const std::vector<std::string>& ids, Clock::duration limit);
  // The agent's item's bus name, which it owns once it has launched.
  static std::string itemBusName(const Process& agent);
  std::string agentErrors(const Process& agent) const;

  // Set before SetUp by tests whose agents run as another user.
  PrivateBus::Users busUsers = PrivateBus::Users::kOwnerOnly;
  // Set before SetUp (":N") by tests that run an X server.
  std::string display;
  std::unique_ptr<DesktopSession> session;

 private:
  struct StartedAgent {
    std::unique_ptr<Process> process;
    std::string name;
    std::string stderrPath;
  };

  std::vector<std::unique_ptr<Process>> helpers;
  std::vector<StartedAgent> agents;
};

}  // namespace e2e
