#pragma once

#include <string>
#include <string_view>

// Everything that passes between an agent and the host application, named once.
namespace agent {

// The host's reverse-DNS identifier: the defaults suite's name and the prefix
// of every notification name. Set at build time (CMake cache variable).
inline constexpr std::string_view kHostIdentifier = VELMORA_HOST_IDENTIFIER;

// The environment variable through which the host passes its process id.
inline constexpr std::string_view kParentPidVariable = "QORVN_PARENT_PID";

// Notification name suffixes, appended directly to kHostIdentifier.
inline constexpr std::string_view kShowWindowSuffix = ".showWindow";
inline constexpr std::string_view kShowSleepManagementSuffix = ".showSleepManagement";
inline constexpr std::string_view kSleepStateChangedSuffix = ".sleepStatusStateChanged";

// User-info keys of the sleep-state notification.
inline constexpr std::string_view kActiveKey = "active";
inline constexpr std::string_view kStatusKey = "status";

// Display options the host writes into the defaults suite.
inline constexpr std::string_view kShowMemoryKey = "networkSpeedShowMemoryV1";
inline constexpr std::string_view kShowCPUKey = "networkSpeedShowCPUV1";
inline constexpr std::string_view kShowGPUKey = "networkSpeedShowGPUV1";

// The full name of a host notification, e.g. "com.velmora.app.showWindow".
inline std::string hostNotificationName(std::string_view suffix) {
  std::string name{kHostIdentifier};
  name += suffix;
  return name;
}

}  // namespace agent
