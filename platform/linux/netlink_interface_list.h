#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/unique_fd.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {

// The interface list from an rtnetlink link dump: one link-level entry per
// interface, with the kernel's 64-bit byte counters. The NETLINK_ROUTE socket
// is opened on first use and kept; any error closes it, and the next call
// opens a fresh one.
class NetlinkInterfaceList : public platform::InterfaceList {
 public:
  // None when the socket cannot be opened, the kernel reports an error, or the
  // dump stays inconsistent after a few attempts.
  std::optional<std::vector<platform::InterfaceEntry>> interfaces() override;

 private:
  enum class Outcome { complete, interrupted, failed };

  bool openSocket();
  Outcome dump(std::vector<platform::InterfaceEntry>& entries);
  bool sendRequest();

  UniqueFd socket;
  std::uint32_t sequence = 0;
  std::vector<std::uint8_t> buffer;
};

}  // namespace platform::linuxdesktop
