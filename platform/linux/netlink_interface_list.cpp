#include "platform/linux/netlink_interface_list.h"

#include <cerrno>

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>

#include "platform/linux/link_dump_parser.h"

namespace platform::linuxdesktop {
namespace {

// The kernel fills dump datagrams up to 32 KiB; twice that leaves room, and
// a datagram that still does not fit is reported as truncated.
constexpr std::size_t kBufferSize = 64 * 1024;
// A dump of even thousands of interfaces takes far fewer datagrams; the limit
// only guards the loop against a reply that never ends.
constexpr int kMaxDatagrams = 4096;
// A changing interface set can interrupt a dump; it is read again this often.
constexpr int kAttempts = 3;

struct LinkRequest {
  nlmsghdr header;
  ifinfomsg info;
};

}  // namespace

std::optional<std::vector<platform::InterfaceEntry>> NetlinkInterfaceList::interfaces() {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!socket && !openSocket()) return std::nullopt;
    std::vector<platform::InterfaceEntry> entries;
    const Outcome outcome = dump(entries);
    if (outcome == Outcome::complete) return entries;
    // Whatever is left of a failed dump must not reach the next request.
    if (outcome == Outcome::failed) socket.reset();
  }
  return std::nullopt;
}

bool NetlinkInterfaceList::openSocket() {
  UniqueFd fresh(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
  if (!fresh) return false;
  // The kernel answers a dump at once; the timeout only keeps a stuck socket
  // from blocking the caller's main loop for good.
  const timeval timeout{.tv_sec = 1, .tv_usec = 0};
  if (setsockopt(fresh.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
    return false;
  }
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  if (bind(fresh.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return false;
  }
  socket = std::move(fresh);
  buffer.resize(kBufferSize);
  return true;
}

bool NetlinkInterfaceList::sendRequest() {
  LinkRequest request{};
  request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifinfomsg));
  request.header.nlmsg_type = RTM_GETLINK;
  request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  request.header.nlmsg_seq = sequence;
  request.info.ifi_family = AF_UNSPEC;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  ssize_t sent = -1;
  do {
    sent = sendto(socket.get(), &request, request.header.nlmsg_len, 0,
                  reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(request.header.nlmsg_len);
}

NetlinkInterfaceList::Outcome NetlinkInterfaceList::dump(
    std::vector<platform::InterfaceEntry>& entries) {
  ++sequence;
  if (!sendRequest()) return Outcome::failed;
  LinkDumpParser parser(sequence);
  for (int datagram = 0; datagram < kMaxDatagrams; ++datagram) {
    sockaddr_nl sender{};
    iovec chunk{.iov_base = buffer.data(), .iov_len = buffer.size()};
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &chunk;
    message.msg_iovlen = 1;
    const ssize_t received = recvmsg(socket.get(), &message, 0);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0 || (message.msg_flags & MSG_TRUNC) != 0) return Outcome::failed;
    // Only the kernel (port 0) answers a dump; anything else is not ours.
    if (sender.nl_pid != 0) continue;
    const auto progress = parser.feed(std::span(buffer.data(), static_cast<std::size_t>(received)));
    if (progress == LinkDumpParser::Progress::failed) return Outcome::failed;
    if (progress == LinkDumpParser::Progress::done) {
      entries = parser.entries();
      return parser.interrupted() ? Outcome::interrupted : Outcome::complete;
    }
  }
  return Outcome::failed;
}

}  // namespace platform::linuxdesktop
