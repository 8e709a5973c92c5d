#include <memory>
#include <string>

#include "agent_common/agent_entry.h"
#include "agent_common/host_contract.h"
#include "network_agent/app/network_speed_status_item_app.h"
#include "platform/desktop_platform.h"
#include "platform/posix/standard_descriptors.h"

int main() {
  // Before anything opens a descriptor: see the function.
  platform::posix::openMissingStandardDescriptors();
  const std::string defaultsSuiteName{agent::kHostIdentifier};

  // A host that goes while the bus is being reached ends the wait.
  bool hostGone = false;
  const std::unique_ptr<platform::Platform> platform =
      platform::makeDesktopPlatform("network-status-agent", agent::abandonOnceHostIsGone(hostGone));
  if (!platform) return agent::platformDidNotStart("network-status-agent", hostGone);

  // The only strong reference to the delegate: timers, the button and the
  // menu hold it weakly.
  const auto delegate =
      std::make_shared<agent::NetworkSpeedStatusItemApp>(*platform, defaultsSuiteName);
  return agent::runApplication(*platform, delegate);
}
