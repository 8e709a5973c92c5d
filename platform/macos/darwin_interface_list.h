#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/system_readings.h"

namespace platform::macos {

// The interface list with 64-bit byte counters, from the routing messages of
// sysctl NET_RT_IFLIST2; getifaddrs' link-level records, whose if_data
// counters are 32 bits wide, where that call does not work.
//
// The first successful read picks the source for good. Counters from the two
// sources do not compare (the 32-bit ones are the 64-bit ones modulo 2^32),
// and a total that jumps between them would show as a burst of gigabytes. So
// once the routing messages have been read, a failure to read them again
// gives no list (the sampler keeps its baseline) rather than the other
// source's counters.
class DarwinInterfaceList final : public platform::InterfaceList {
 public:
  std::optional<std::vector<platform::InterfaceEntry>> interfaces() override;

 private:
  enum class Source { routingMessages, interfaceAddresses };

  std::optional<std::vector<platform::InterfaceEntry>> readRoutingMessages();
  std::optional<std::vector<platform::InterfaceEntry>> readInterfaceAddresses();

  std::optional<Source> source;
  std::vector<std::uint8_t> buffer;
};

}  // namespace platform::macos
