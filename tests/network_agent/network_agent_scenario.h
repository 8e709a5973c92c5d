#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "agent_common/host_contract.h"
#include "network_agent/app/network_speed_status_item_app.h"
#include "tests/support/agent_scenario.h"

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

  platform::fake::DefaultsDomain& storedOptions() { return platform.defaults.suites[suiteName]; }
  platform::fake::FakeStatusItem& item() { return platform.item(); }
  double imageWidth() { return button().image->size().width; }
};
