#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/system_readings.h"

namespace platform::macos {

// The interface list from the routing messages of sysctl NET_RT_IFLIST2, or
// from getifaddrs where that call fails. Both carry the same counters: XNU
// hands a program that is not part of the system each byte counter cut to
// 32 bits (and rounded down to 1 KiB), the 64-bit fields of NET_RT_IFLIST2
// included, so every entry says its counters are 32 bits wide and the
// sampler reads their growth modulo 2^32. getifaddrs itself walks
// NET_RT_IFLIST2 and then builds a record per address; the walk reads the
// same messages into one buffer kept from call to call.
class DarwinInterfaceList final : public platform::InterfaceList {
 public:
  std::optional<std::vector<platform::InterfaceEntry>> interfaces() override;

 private:
  std::optional<std::vector<platform::InterfaceEntry>> readRoutingMessages();
  static std::optional<std::vector<platform::InterfaceEntry>> readInterfaceAddresses();

  std::vector<std::uint8_t> buffer;
};

}  // namespace platform::macos
