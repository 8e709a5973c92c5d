#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agent_common/agent_entry.h"
#include "agent_common/host_contract.h"
#include "network_agent/app/network_speed_status_item_app.h"
#include "platform/fake/fake_platform.h"

// Runs the network agent on the fake platform as its entry point does, and
// reads back what the status bar, the host and the run loop were given.
class NetworkAgentRun {
 public:
  const std::string suiteName{agent::kHostIdentifier};
  const std::string showWindowName = suiteName + ".showWindow";

  void launch() {
    delegate = std::make_shared<agent::NetworkSpeedStatusItemApp>(platform, suiteName);
    agent::runApplication(platform, delegate);
  }

  // A host with this process id, running or not, passed in the environment.
  void setHost(std::int32_t pid, bool running) {
    platform.env.variables["QORVN_PARENT_PID"] = std::to_string(pid);
    if (running) {
      platform.applications.running.insert(pid);
      platform.probe.results[pid] = 0;
    }
  }

  // One counted interface with these cumulative byte counters.
  void setCounters(std::uint64_t receivedBytes, std::uint64_t sentBytes) {
    platform::InterfaceEntry entry{.name = "en0", .linkLevel = true, .up = true};
    entry.hasStatistics = true;
    entry.receivedBytes = receivedBytes;
    entry.sentBytes = sentBytes;
    platform.interfaces.reading = std::vector<platform::InterfaceEntry>{entry};
  }

  platform::fake::DefaultsDomain& storedOptions() { return platform.defaults.suites[suiteName]; }
  platform::fake::FakeStatusItem& item() { return platform.item(); }
  platform::fake::FakeButton& button() { return *platform.item().fakeButton(); }
  double imageWidth() { return button().image->size().width; }

  std::vector<std::string> postedNames() const {
    std::vector<std::string> names;
    for (const auto& posted : platform.notifications.posted) names.push_back(posted.name);
    return names;
  }

  platform::fake::FakePlatform platform;
  std::shared_ptr<agent::NetworkSpeedStatusItemApp> delegate;
};

class NetworkAgentScenario : public ::testing::Test, public NetworkAgentRun {};
