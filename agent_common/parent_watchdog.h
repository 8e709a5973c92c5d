#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace agent {

inline constexpr double kParentWatchdogIntervalSeconds = 2.0;

// Whether a watchdog tick should end the agent: only when there is a host
// (parentPID at least 1) and kill(parentPID, 0) fails, for whatever reason.
bool hostIsGone(std::int32_t parentPID, platform::ProcessProbe& probe);

// Schedules the repeating watchdog. Each tick does nothing once the delegate
// is gone; otherwise it terminates the shared application when the host is
// gone. parentPID is the delegate's, which never changes after construction.
std::shared_ptr<platform::Timer> startParentWatchdog(platform::Platform& platform,
                                                     std::weak_ptr<const void> delegate,
                                                     std::int32_t parentPID);

}  // namespace agent
