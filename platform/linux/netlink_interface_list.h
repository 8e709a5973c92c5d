#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <sys/socket.h>

#include "platform/linux/link_dump_parser.h"
#include "platform/linux/unique_fd.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {

// The interface list from rtnetlink: one link-level entry per interface, with
// the kernel's 64-bit byte counters. A link dump (names, flags, counters and
// much else per interface) is costly for the kernel, so the list is kept
// between calls and, while the kernel reports no change of any link, only
// the counters are read again, with a stats dump of a fraction of the cost.
// Link changes arrive on a second socket subscribed to them; one that cannot
// be opened means a link dump on every call. The sockets are opened on first
// use and kept; any error closes them, and the next call opens fresh ones.
class NetlinkInterfaceList : public platform::InterfaceList {
 public:
  // Every read from either socket goes through `receive` (recvmsg's
  // signature), so that a test can stand in for the kernel's errors.
  using Receive = ssize_t (*)(int socket, msghdr* message, int flags);
  explicit NetlinkInterfaceList(Receive receive = ::recvmsg) : receive(receive) {}

  // None when the socket cannot be opened, the kernel reports an error, or the
  // dump stays inconsistent after a few attempts.
  std::optional<std::vector<platform::InterfaceEntry>> interfaces() override;

 private:
  enum class Outcome { complete, interrupted, failed };

  bool openSocket();
  void openChangeSubscription();
  // Whether a link change was reported since the last call; reading the
  // reports empties the subscription's queue.
  bool linksChanged();
  Outcome dump(std::uint16_t type, LinkDumpParser& parser);
  bool sendRequest(std::uint16_t type);
  Receive receive;
  UniqueFd socket;
  UniqueFd changes;
  std::uint32_t sequence = 0;
  // Left unzeroed: only the pages the kernel writes a dump into become
  // resident.
  std::unique_ptr<std::uint8_t[]> buffer;
  // The last link dump's entries and the kernel's index of each; empty until
  // one completed, and again whenever it may be out of date.
  std::vector<platform::InterfaceEntry> links;
  std::vector<int> linkIndexes;
  // Cleared for good when the kernel does not answer a stats dump.
  bool statsDumps = true;
};

}  // namespace platform::linuxdesktop
