#include "platform/linux/netlink_interface_list.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/linux/link_dump_parser.h"

namespace platform::linuxdesktop {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Progress = LinkDumpParser::Progress;
constexpr std::uint32_t kSequence = 7;
// The head of rtnl_link_stats64 and rtnl_link_stats: packets in, out, bytes in, out.
constexpr std::array<std::uint64_t, 4> kStats64{0, 0, 6'000'000'000, 12};
constexpr std::array<std::uint32_t, 4> kStats32{0, 0, 77, 1};

// Netlink datagrams laid out the way the kernel sends them.
Bytes operator+(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// The value's bytes, padded to netlink's 4-byte alignment.
template <class T>
Bytes raw(const T& value) {
  const auto* begin = reinterpret_cast<const std::uint8_t*>(&value);
  Bytes bytes(begin, begin + sizeof value);
  bytes.resize(NLMSG_ALIGN(bytes.size()));
  return bytes;
}

template <class T>
Bytes attribute(std::uint16_t type, const T& value) {
  return raw(rtattr{static_cast<unsigned short>(RTA_LENGTH(sizeof value)), type}) + raw(value);
}

Bytes message(std::uint16_t type, const Bytes& payload, std::uint16_t flags = NLM_F_MULTI,
              std::uint32_t sequence = kSequence) {
  const auto length = static_cast<std::uint32_t>(NLMSG_HDRLEN + payload.size());
  return raw(nlmsghdr{length, type, flags, sequence, 0}) + payload;
}

Bytes link(unsigned flags, const Bytes& attributes, std::uint16_t messageFlags = NLM_F_MULTI,
           std::uint32_t sequence = kSequence) {
  return message(RTM_NEWLINK, raw(ifinfomsg{0, 0, 0, 0, flags, 0}) + attributes, messageFlags,
                 sequence);
}

const Bytes kEth0 = attribute(IFLA_IFNAME, "eth0");
const Bytes kDone = message(NLMSG_DONE, raw(0));
const Bytes kTwoLinksAndDone =
    link(IFF_UP | IFF_LOOPBACK, attribute(IFLA_IFNAME, "lo") + attribute(IFLA_STATS64, kStats64)) +
    link(IFF_UP, kEth0 + attribute(IFLA_STATS64, kStats64)) + kDone;

// Each entry: name, "+" when up, "L" for loopback, and "received/sent" when
// it has counters ("32-bit" after them when they are).
std::string described(const std::vector<InterfaceEntry>& entries) {
  std::string text;
  for (const auto& link : entries) {
    text += " " + link.name.value_or("?") + (link.up ? "+" : "") + (link.loopback ? "L" : "");
    if (link.hasStatistics) {
      text += " " + std::to_string(link.receivedBytes) + "/" + std::to_string(link.sentBytes);
      if (link.counterWidth == platform::CounterWidth::bits32) text += " 32-bit";
    }
  }
  return text;
}

// The progress, then the entries, then the counters by index.
std::string summary(const LinkDumpParser& parser, Progress progress) {
  std::string text = progress == Progress::done     ? "done"
                     : progress == Progress::failed ? "failed"
                                                    : "more";
  text += described(parser.entries());
  for (const auto& counters : parser.counters()) {
    text += " #" + std::to_string(counters.index) + " " + std::to_string(counters.receivedBytes) +
            "/" + std::to_string(counters.sentBytes);
  }
  return parser.interrupted() ? text + " interrupted" : text;
}

Bytes stats(std::uint32_t index, const Bytes& attributes) {
  return message(RTM_NEWSTATS, raw(if_stats_msg{AF_UNSPEC, 0, 0, index, 0}) + attributes);
}

TEST(LinkDumpParserTest, ReadsLinksAndCountersAndStaysWithinMalformedMessages) {
  const Bytes overlong = Bytes(kDone.begin(), kDone.end() - 4);
  const Bytes stats32 = attribute(IFLA_STATS, kStats32);
  const Bytes stats64 = attribute(IFLA_STATS64, kStats64);
  for (const auto& [datagram, expected] : std::initializer_list<std::pair<Bytes, std::string>>{
           {kTwoLinksAndDone, "done lo+L 6000000000/12 eth0+ 6000000000/12"},
           {link(IFF_UP, kEth0 + stats32), "more eth0+ 77/1 32-bit"},
           {link(IFF_UP, kEth0 + stats32 + stats64), "more eth0+ 6000000000/12"},
           {link(IFF_UP, kEth0 + stats64 + stats32), "more eth0+ 6000000000/12"},
           {link(0, attribute(IFLA_STATS64, std::array<std::uint64_t, 2>{})), "more ?"},
           {link(0, attribute(IFLA_IFNAME, std::array{'e', 'n', 'p'})), "more enp"},
           // Attribute headers claiming more than the message holds, or less than themselves.
           {link(0, kEth0 + raw(rtattr{0xffff, IFLA_STATS64}) + stats64), "more eth0"},
           {link(0, kEth0 + raw(rtattr{0, IFLA_STATS64}) + stats64), "more eth0"},
           {link(0, kEth0, NLM_F_MULTI | NLM_F_DUMP_INTR), "more eth0 interrupted"},
           {link(0, kEth0, NLM_F_MULTI, kSequence - 1) +
                message(NLMSG_DONE, raw(0), 0, kSequence - 1),
            "more"},
           {stats(3, attribute(IFLA_STATS_LINK_64, kStats64)) + kDone, "done #3 6000000000/12"},
           {stats(3, attribute(IFLA_STATS_LINK_64, std::array<std::uint64_t, 3>{})), "more"},
           {stats(3, raw(rtattr{0xffff, IFLA_STATS_LINK_64})), "more"},
           {message(NLMSG_ERROR, raw(-EPERM)), "failed"},
           {message(NLMSG_DONE, raw(-EINTR)), "failed"},
           {overlong, "failed"}}) {
    LinkDumpParser parser(kSequence);
    const Progress progress = parser.feed(datagram);
    EXPECT_EQ(summary(parser, progress), expected);
  }
}

// Counters go to the link with their index, in whatever order they come; a
// different set of interfaces gives none, so that links are dumped again.
TEST(LinkDumpParserTest, CountersJoinTheKeptLinksByIndexOnly) {
  const std::vector<InterfaceEntry> links{{.name = "lo"}, {.name = "eth0"}};
  const std::vector<int> indexes{1, 4};
  using Counters = LinkDumpParser::IndexedCounters;
  const auto joined = [&](const std::vector<Counters>& counters) {
    const auto entries = linksWithCounters(links, indexes, counters);
    return entries ? described(*entries) : "none";
  };
  EXPECT_EQ(joined({{1, 10, 11}, {4, 40, 41}}), " lo 10/11 eth0 40/41");
  EXPECT_EQ(joined({{4, 40, 41}, {1, 10, 11}}), " lo 10/11 eth0 40/41");
  EXPECT_EQ(joined({{1, 10, 11}, {5, 50, 51}}), "none");
  EXPECT_EQ(joined({{1, 10, 11}}), "none");
  EXPECT_EQ(joined({{1, 10, 11}, {4, 40, 41}, {5, 50, 51}}), "none");
}

// Sends bytes from a UDP socket on 127.0.0.1 to itself: traffic on lo alone.
void sendOverLoopback(std::size_t bytes) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  ASSERT_EQ(::bind(fd, raw, length), 0);
  ASSERT_EQ(::getsockname(fd, raw, &length), 0);
  const std::vector<char> datagram(16 * 1024, 'x');
  for (std::size_t sent = 0; sent < bytes; sent += datagram.size()) {
    ::sendto(fd, datagram.data(), datagram.size(), 0, raw, length);
  }
  ::close(fd);
}

// What lo has both received and sent (it receives what it sends); 0 when it
// is missing or not marked as a loopback with counters.
std::uint64_t loTotal(const std::vector<InterfaceEntry>& entries) {
  for (const InterfaceEntry& entry : entries) {
    if (entry.name == "lo" && entry.loopback && entry.hasStatistics) {
      return std::min(entry.receivedBytes, entry.sentBytes);
    }
  }
  return 0;
}

// Stands in for recvmsg: passes every read on to the kernel's sockets, but
// fails the next read of the change subscription with `subscriptionError`
// when set, and answers stats dumps with the kernel's refusal while
// `refuseStats` holds. Logs each dump as its first datagram comes: "L" for
// links, "S" for stats, "S!" for a refused one.
struct KernelStandIn {
  static inline int subscriptionError = 0;
  static inline bool refuseStats = false;
  static inline std::string dumps;
  static inline std::uint32_t lastSequence = 0;

  static ssize_t receive(int fd, msghdr* received, int flags) {
    const bool subscription = (flags & MSG_DONTWAIT) != 0;
    if (subscription && subscriptionError != 0) {
      errno = std::exchange(subscriptionError, 0);
      return -1;
    }
    const ssize_t size = ::recvmsg(fd, received, flags);
    auto* header = static_cast<nlmsghdr*>(received->msg_iov->iov_base);
    if (subscription || size < static_cast<ssize_t>(NLMSG_HDRLEN) ||
        std::exchange(lastSequence, header->nlmsg_seq) == header->nlmsg_seq) {
      return size;
    }
    const bool stats = header->nlmsg_type == RTM_NEWSTATS;
    dumps += stats ? "S" : "L";
    if (!stats || !refuseStats) return size;
    dumps += "!";
    const Bytes refusal = message(NLMSG_ERROR, raw(-EOPNOTSUPP), 0, header->nlmsg_seq);
    std::memcpy(header, refusal.data(), refusal.size());
    return static_cast<ssize_t>(refusal.size());
  }
};

// The dumps of four reads when the second meets a fault: reports lost
// (ENOBUFS) or a broken subscription must not pass for "no change", and a
// kernel refusing stats dumps gets link dumps from then on. Our traffic on lo
// before the second read shows in it whichever dump it takes. Names and the
// link level of each entry are the parser's rows and link_dump_fuzz's.
TEST(NetlinkInterfaceListTest, LostReportsABrokenSubscriptionOrARefusedStatsDumpMeanLinkDumps) {
  constexpr std::size_t kSent = 1 << 20;
  const struct {
    const char* fault;
    int subscriptionError;
    bool refuseStats;
    std::string dumps;
  } rows[] = {
      {"none", 0, false, "LSSS"},
      {"reports lost", ENOBUFS, false, "LLSS"},
      {"subscription broken", EBADF, false, "LLLL"},
      {"stats dumps refused", 0, true, "LS!LLL"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault);
    KernelStandIn::dumps.clear();
    KernelStandIn::lastSequence = 0;
    NetlinkInterfaceList list{&KernelStandIn::receive};
    const auto before = list.interfaces();
    ASSERT_TRUE(before.has_value());
    KernelStandIn::subscriptionError = row.subscriptionError;
    KernelStandIn::refuseStats = row.refuseStats;
    sendOverLoopback(kSent);
    const auto after = list.interfaces();
    ASSERT_TRUE(after.has_value());
    EXPECT_GE(loTotal(*after), loTotal(*before) + kSent);
    KernelStandIn::refuseStats = false;
    EXPECT_TRUE(list.interfaces().has_value() && list.interfaces().has_value());
    EXPECT_EQ(KernelStandIn::dumps, row.dumps);
  }
}

bool setLoopbackUp(bool up) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ifreq request{};
  std::strcpy(request.ifr_name, "lo");
  bool done = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags =
      static_cast<short>(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
  done = done && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  if (fd >= 0) ::close(fd);
  return done;
}

// Between link dumps only the counters are read; a link going up or down in
// between must still show at the next read. Run on a thread in a network
// namespace of its own, whose lo starts down: a thread's namespaces are its
// own.
TEST(NetlinkInterfaceListTest, ALinkGoingUpOrDownShowsAtTheNextRead) {
  bool ownNamespace = false;
  std::thread([&] {
    if (unshare(CLONE_NEWNET) != 0) return;
    ownNamespace = true;
    NetlinkInterfaceList list;
    const auto loUp = [&]() -> std::optional<bool> {
      const auto entries = list.interfaces();
      if (!entries || entries->size() != 1 || entries->front().name != "lo") return std::nullopt;
      return entries->front().up;
    };
    EXPECT_EQ(loUp(), false);
    EXPECT_EQ(loUp(), false);
    ASSERT_TRUE(setLoopbackUp(true));
    EXPECT_EQ(loUp(), true);
    ASSERT_TRUE(setLoopbackUp(false));
    EXPECT_EQ(loUp(), false);
  }).join();
  if (!ownNamespace) GTEST_SKIP() << "no network namespace of our own";
}

}  // namespace
}  // namespace platform::linuxdesktop
