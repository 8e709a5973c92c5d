#include "agent_common/host_request.h"

#include <optional>

namespace agent {

void sendHostRequest(platform::Platform& platform, const std::string& notificationName,
                     std::int32_t parentPID) {
  platform.notificationCenter().post(notificationName, std::nullopt);
  if (parentPID < 1) return;
  if (const auto host = platform.runningApplications().find(parentPID)) {
    host->activate(platform::kActivateIgnoringOtherApps);
  }
}

}  // namespace agent
