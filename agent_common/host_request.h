#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace agent {

// Asks the host for something: posts the named notification with no user
// info, then brings the host forward when there is one (parentPID at least 1)
// and it is running. Nothing comes back; what the host does is up to it.
void sendHostRequest(platform::Platform& platform, const std::string& notificationName,
                     std::int32_t parentPID);

}  // namespace agent
