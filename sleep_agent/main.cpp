#include <cstdio>
#include <memory>
#include <string>

#include "agent_common/agent_entry.h"
#include "agent_common/host_contract.h"
#include "platform/desktop_platform.h"
#include "sleep_agent/sleep_status_item_app.h"

int main() {
  const std::string sleepStateNotificationName =
      agent::hostNotificationName(agent::kSleepStateChangedSuffix);
  const std::string showSleepManagementNotificationName =
      agent::hostNotificationName(agent::kShowSleepManagementSuffix);

  const std::unique_ptr<platform::Platform> platform =
      platform::makeDesktopPlatform("sleep-status-agent");
  if (!platform) {
    std::fputs("sleep-status-agent: cannot connect to the session bus\n", stderr);
    return 1;
  }

  // The only strong reference to the delegate: the watchdog, the button and
  // the observer hold it weakly.
  const auto delegate = std::make_shared<agent::SleepStatusItemApp>(
      *platform, sleepStateNotificationName, showSleepManagementNotificationName);
  return agent::runApplication(*platform, delegate);
}
