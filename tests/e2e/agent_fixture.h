#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/private_session.h"

namespace e2e {

using test_support::Clock;
using test_support::LineMatch;
using test_support::Process;
using test_support::Strings;
using namespace std::chrono_literals;

inline constexpr const char* kNetworkAgent = E2E_NETWORK_AGENT;
inline constexpr const char* kSleepAgent = E2E_SLEEP_AGENT;
inline constexpr const char* kHostSim = E2E_HOST_SIM;
inline constexpr const char* kTrayView = E2E_TRAY_VIEW;
inline constexpr const char* kNetworkAgentId = "network-status-agent";
inline constexpr const char* kSleepAgentId = "sleep-status-agent";

// A test in a private session (test_support::PrivateSession). At the end every agent still running
// gets SIGTERM, and each must have exited with status 0 and written nothing to its standard error.
class AgentFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // `prefix` goes before the program on the command line (e.g. setpriv).
  Process& startAgent(const std::string& program, const std::string& parentPid,
                      Strings prefix = {});
  // Any other program, ended with the test.
  Process& start(const Strings& arguments);
  // A process that only lives, as a host.
  Process& startSleeper() { return start({"sleep", "1000"}); }
  // A one-shot program's output; absent unless it exited with 0 in 10 s.
  std::optional<Strings> run(const Strings& arguments);
  static std::string readFile(const std::string& path);
  // Writes a file in HOME atomically, creating its folders; returns its path.
  std::string writeFile(const std::string& relativePath, const std::string& contents) {
    return session->writeFile(relativePath, contents);
  }
  // Waits, side by side, until every name is on the bus.
  bool waitForBusNames(const Strings& names, int seconds = 20);
  static std::string itemBusName(const Process& agent);
  // Waits until `watch` (a `tray-view watch`) has shown an item for each id.
  bool waitForItems(Process& watch, Strings ids, Clock::duration limit);
  // Both agents, their host a sleeping process, once a `tray-view watch`
  // shows both items; `prefix` as for startAgent.
  struct Shown {
    Process& watch;
    Process& network;
    Process& sleep;
  };
  Shown startBothShown(const Strings& prefix = {});

  // Set before SetUp: a bus any user may join, for an agent run as another
  // user.
  bool busForEveryone = false;
  std::string home;
  // The private bus (its address, its daemon) and what every program started here gets.
  std::unique_ptr<test_support::PrivateSession> session;
  Strings environment;

 private:
  std::vector<std::unique_ptr<Process>> helpers;
  std::vector<std::unique_ptr<Process>> agents;
};

}  // namespace e2e
