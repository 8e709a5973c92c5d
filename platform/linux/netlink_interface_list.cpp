#include "platform/linux/netlink_interface_list.h"

#include <cerrno>

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>

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

struct StatsRequest {
  nlmsghdr header;
  if_stats_msg stats;
};

}  // namespace

std::optional<std::vector<platform::InterfaceEntry>> NetlinkInterfaceList::interfaces() {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!socket && !openSocket()) return std::nullopt;
    // Changes reported before a link dump are in the dump itself.
    const bool changed = linksChanged();
    if (!links.empty() && !changed && statsDumps) {
      LinkDumpParser parser(++sequence);
      const Outcome outcome = dump(RTM_GETSTATS, parser);
      if (outcome == Outcome::complete) {
        if (auto entries = linksWithCounters(links, linkIndexes, parser.counters())) {
          return entries;
        }
      } else if (outcome == Outcome::failed) {
        // Most likely a kernel without stats dumps: links are dumped from now on.
        statsDumps = false;
        socket.reset();
        continue;
      }
    }
    LinkDumpParser parser(++sequence);
    const Outcome outcome = dump(RTM_GETLINK, parser);
    links.clear();
    linkIndexes.clear();
    if (outcome == Outcome::complete) {
      // Kept only while changes are reported: without the reports the list
      // could go out of date unnoticed.
      if (changes) {
        links = parser.entries();
        linkIndexes = parser.indexes();
      }
      return parser.entries();
    }
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
  if (!buffer) buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize);
  if (!changes) openChangeSubscription();
  return true;
}

void NetlinkInterfaceList::openChangeSubscription() {
  UniqueFd fresh(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
  if (!fresh) return;
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = RTMGRP_LINK;
  if (bind(fresh.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return;
  changes = std::move(fresh);
}

bool NetlinkInterfaceList::linksChanged() {
  if (!changes) return true;
  bool changed = false;
  iovec chunk{.iov_base = buffer.get(), .iov_len = kBufferSize};
  msghdr message{};
  message.msg_iov = &chunk;
  message.msg_iovlen = 1;
  while (true) {
    const ssize_t received = receive(changes.get(), &message, MSG_DONTWAIT);
    if (received > 0) {
      changed = true;
    } else if (received < 0 && errno == EINTR) {
      continue;
    } else if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return changed;
    } else {
      // ENOBUFS: reports were lost, which says as much as a report. Anything
      // else leaves the subscription broken: links are dumped from now on.
      if (received == 0 || errno != ENOBUFS) changes.reset();
      return true;
    }
  }
}

bool NetlinkInterfaceList::sendRequest(std::uint16_t type) {
  LinkRequest link{};
  link.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifinfomsg));
  link.info.ifi_family = AF_UNSPEC;
  StatsRequest stats{};
  stats.header.nlmsg_len = NLMSG_LENGTH(sizeof(if_stats_msg));
  stats.stats.family = AF_UNSPEC;
  stats.stats.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
  nlmsghdr& header = type == RTM_GETSTATS ? stats.header : link.header;
  header.nlmsg_type = type;
  header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  header.nlmsg_seq = sequence;
  const void* request = type == RTM_GETSTATS ? static_cast<const void*>(&stats) : &link;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  ssize_t sent = -1;
  do {
    sent = sendto(socket.get(), request, header.nlmsg_len, 0,
                  reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(header.nlmsg_len);
}

NetlinkInterfaceList::Outcome NetlinkInterfaceList::dump(std::uint16_t type,
                                                         LinkDumpParser& parser) {
  if (!sendRequest(type)) return Outcome::failed;
  for (int datagram = 0; datagram < kMaxDatagrams; ++datagram) {
    sockaddr_nl sender{};
    iovec chunk{.iov_base = buffer.get(), .iov_len = kBufferSize};
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &chunk;
    message.msg_iovlen = 1;
    const ssize_t received = receive(socket.get(), &message, 0);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0 || (message.msg_flags & MSG_TRUNC) != 0) return Outcome::failed;
    // Only the kernel (port 0) answers a dump; anything else is not ours.
    if (sender.nl_pid != 0) continue;
    const auto progress = parser.feed(std::span(buffer.get(), static_cast<std::size_t>(received)));
    if (progress == LinkDumpParser::Progress::failed) return Outcome::failed;
    if (progress == LinkDumpParser::Progress::done) {
      return parser.interrupted() ? Outcome::interrupted : Outcome::complete;
    }
  }
  return Outcome::failed;
}

}  // namespace platform::linuxdesktop
