#include <cstdio>
#include <memory>
#include <string>

#include "agent_common/agent_entry.h"
#include "agent_common/host_contract.h"
#include "network_agent/app/network_speed_status_item_app.h"
#include "platform/desktop_platform.h"

int main() {
  const std::string defaultsSuiteName{agent::kHostIdentifier};

  const std::unique_ptr<platform::Platform> platform =
      platform::makeDesktopPlatform("network-status-agent");
  if (!platform) {
    std::fputs("network-status-agent: cannot connect to the session bus\n", stderr);
    return 1;
  }

  // The only strong reference to the delegate: timers, the button and the
  // menu hold it weakly.
  const auto delegate =
      std::make_shared<agent::NetworkSpeedStatusItemApp>(*platform, defaultsSuiteName);
  return agent::runApplication(*platform, delegate);
}
