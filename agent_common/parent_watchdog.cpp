#include "agent_common/parent_watchdog.h"

namespace agent {

bool hostIsGone(std::int32_t parentPID, platform::ProcessProbe& probe) {
  if (parentPID < 1) return false;
  // EPERM counts as gone too: a process we may not signal is not our host.
  return probe.probe(parentPID) != 0;
}

std::shared_ptr<platform::Timer> startParentWatchdog(platform::Platform& platform,
                                                     std::weak_ptr<const void> delegate,
                                                     std::int32_t parentPID) {
  return platform.runLoop().scheduleRepeatingTimer(
      kParentWatchdogIntervalSeconds, [&platform, delegate = std::move(delegate), parentPID] {
        const std::shared_ptr<const void> alive = delegate.lock();
        if (!alive) return;
        if (hostIsGone(parentPID, platform.processProbe())) {
          platform.sharedApplication().terminate();
        }
      });
}

}  // namespace agent
