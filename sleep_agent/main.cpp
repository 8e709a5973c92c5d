#include <memory>
#include <string>

#include "agent_common/agent_entry.h"
#include "agent_common/host_contract.h"
#include "platform/desktop_platform.h"
#include "platform/posix/standard_descriptors.h"
#include "sleep_agent/sleep_status_item_app.h"

int main() {
  // Before anything opens a descriptor: see the function.
  platform::posix::openMissingStandardDescriptors();
  const std::string sleepStateNotificationName =
      agent::hostNotificationName(agent::kSleepStateChangedSuffix);
  const std::string showSleepManagementNotificationName =
      agent::hostNotificationName(agent::kShowSleepManagementSuffix);

  // A host that goes while the bus is being reached ends the wait.
  bool hostGone = false;
  const std::unique_ptr<platform::Platform> platform =
      platform::makeDesktopPlatform("sleep-status-agent", agent::abandonOnceHostIsGone(hostGone));
  if (!platform) return agent::platformDidNotStart("sleep-status-agent", hostGone);

  // The only strong reference to the delegate: the watchdog, the button and
  // the observer hold it weakly.
  const auto delegate = std::make_shared<agent::SleepStatusItemApp>(
      *platform, sleepStateNotificationName, showSleepManagementNotificationName);
  return agent::runApplication(*platform, delegate);
}
