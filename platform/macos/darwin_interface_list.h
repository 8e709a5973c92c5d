#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/darwin/interface_source_choice.h"
#include "platform/system_readings.h"

namespace platform::macos {

// The interface list with 64-bit byte counters, from the routing messages of
// sysctl NET_RT_IFLIST2; getifaddrs' link-level records, whose if_data
// counters are 32 bits wide, where that call does not work (the choice is
// InterfaceSourceChoice's).
class DarwinInterfaceList final : public platform::InterfaceList {
 public:
  std::optional<std::vector<platform::InterfaceEntry>> interfaces() override;

 private:
  std::optional<std::vector<platform::InterfaceEntry>> readRoutingMessages();
  static std::optional<std::vector<platform::InterfaceEntry>> readInterfaceAddresses();

  platform::darwin::InterfaceSourceChoice sourceChoice;
  std::vector<std::uint8_t> buffer;
};

}  // namespace platform::macos
