#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/system_readings.h"

namespace platform::darwin {

// The interface list in the routing messages that sysctl returns for
// {CTL_NET, PF_ROUTE, 0, 0, NET_RT_IFLIST2, 0}: one link-level entry per
// RTM_IFINFO2 message, with the byte counters of its if_data64 and the name
// from the link-level address that follows it. The counters' fields are 64
// bits wide, but XNU fills them cut to 32 bits for any program that is not
// part of the system, so the entries say 32. Other messages are
// skipped by their length. The bytes are in the host's byte order, as the
// kernel writes them.
//
// None when the buffer cannot be trusted whole: a message shorter than its
// own header or running past the buffer, or an interface message of another
// version or shorter than its fixed part. A partial list would drop
// interfaces from the totals and make them jump when they come back.
std::optional<std::vector<platform::InterfaceEntry>> interfacesFromRoutingMessages(
    std::span<const std::uint8_t> buffer);

}  // namespace platform::darwin
