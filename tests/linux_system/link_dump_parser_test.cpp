#include "platform/linux/link_dump_parser.h"

#include <cstring>
#include <string>
#include <vector>

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>

#include <gtest/gtest.h>

namespace platform::linuxdesktop {
namespace {

using Progress = LinkDumpParser::Progress;
constexpr std::uint32_t kSequence = 7;

// Builds netlink datagrams the way the kernel lays them out.
class Datagram {
 public:
  Datagram& message(std::uint16_t type, std::uint32_t sequence = kSequence,
                    std::uint16_t flags = NLM_F_MULTI) {
    close();
    start = bytes.size();
    nlmsghdr header{};
    header.nlmsg_type = type;
    header.nlmsg_flags = flags;
    header.nlmsg_seq = sequence;
    append(&header, sizeof header);
    return *this;
  }
  Datagram& link(unsigned flags, std::uint32_t sequence = kSequence,
                 std::uint16_t messageFlags = NLM_F_MULTI) {
    message(RTM_NEWLINK, sequence, messageFlags);
    ifinfomsg info{};
    info.ifi_flags = flags;
    append(&info, sizeof info);
    return *this;
  }
  Datagram& attribute(std::uint16_t type, const void* data, std::size_t size) {
    rtattr header{};
    header.rta_type = type;
    header.rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
    append(&header, sizeof header);
    append(data, size);
    pad();
    return *this;
  }
  Datagram& name(const std::string& name) {
    return attribute(IFLA_IFNAME, name.c_str(), name.size() + 1);
  }
  Datagram& stats64(std::uint64_t received, std::uint64_t sent) {
    rtnl_link_stats64 stats{};
    stats.rx_bytes = received;
    stats.tx_bytes = sent;
    return attribute(IFLA_STATS64, &stats, sizeof stats);
  }
  Datagram& stats32(std::uint32_t received, std::uint32_t sent) {
    rtnl_link_stats stats{};
    stats.rx_bytes = received;
    stats.tx_bytes = sent;
    return attribute(IFLA_STATS, &stats, sizeof stats);
  }
  Datagram& status(int value) {
    append(&value, sizeof value);
    return *this;
  }
  Datagram& raw(std::vector<std::uint8_t> extra) {
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return *this;
  }
  std::vector<std::uint8_t> build() {
    close();
    return bytes;
  }

 private:
  void append(const void* data, std::size_t size) {
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), begin, begin + size);
  }
  void pad() { bytes.resize(NLMSG_ALIGN(bytes.size())); }
  void close() {
    if (start == kNone) return;
    const auto length = static_cast<std::uint32_t>(bytes.size() - start);
    std::memcpy(bytes.data() + start, &length, sizeof length);
    pad();
    start = kNone;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::uint8_t> bytes;
  std::size_t start = kNone;
};

std::vector<std::uint8_t> twoLinksAndDone() {
  return Datagram()
      .link(IFF_UP | IFF_LOOPBACK)
      .name("lo")
      .stats64(1234, 1234)
      .link(IFF_UP)
      .name("eth0")
      .stats64(6'000'000'000ull, 5'000'000'123ull)
      .message(NLMSG_DONE)
      .status(0)
      .build();
}

TEST(LinkDumpParserTest, ReadsEveryLinkWithItsFlagsAnd64BitCounters) {
  LinkDumpParser parser(kSequence);
  ASSERT_EQ(parser.feed(twoLinksAndDone()), Progress::done);
  const auto& links = parser.entries();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].name, "lo");
  EXPECT_TRUE(links[0].loopback);
  EXPECT_TRUE(links[0].up);
  EXPECT_EQ(links[1].name, "eth0");
  EXPECT_TRUE(links[1].linkLevel);
  EXPECT_TRUE(links[1].up);
  EXPECT_FALSE(links[1].loopback);
  EXPECT_TRUE(links[1].hasStatistics);
  EXPECT_EQ(links[1].receivedBytes, 6'000'000'000ull);
  EXPECT_EQ(links[1].sentBytes, 5'000'000'123ull);
  EXPECT_FALSE(parser.interrupted());
}

TEST(LinkDumpParserTest, MultiPartDumpEndsOnlyWithDone) {
  LinkDumpParser parser(kSequence);
  EXPECT_EQ(parser.feed(Datagram().link(0).name("wlan0").build()), Progress::more);
  EXPECT_EQ(parser.feed(Datagram().link(IFF_UP).name("eth1").build()), Progress::more);
  EXPECT_EQ(parser.feed(Datagram().message(NLMSG_DONE).status(0).build()), Progress::done);
  ASSERT_EQ(parser.entries().size(), 2u);
  EXPECT_FALSE(parser.entries()[0].up);
  EXPECT_FALSE(parser.entries()[0].hasStatistics);
}

TEST(LinkDumpParserTest, CounterAttributesChooseThe64BitSet) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> datagram;
    bool hasStatistics;
    std::uint64_t received;
  };
  for (const Case& c : {
           Case{"64-bit only", Datagram().link(IFF_UP).stats64(5'000'000'000ull, 1).build(), true,
                5'000'000'000ull},
           Case{"32-bit only", Datagram().link(IFF_UP).stats32(77, 1).build(), true, 77},
           Case{"both, 32-bit first",
                Datagram().link(IFF_UP).stats32(77, 1).stats64(5'000'000'000ull, 1).build(), true,
                5'000'000'000ull},
           Case{"both, 64-bit first",
                Datagram().link(IFF_UP).stats64(5'000'000'000ull, 1).stats32(77, 1).build(), true,
                5'000'000'000ull},
           Case{"64-bit set too short",
                Datagram().link(IFF_UP).attribute(IFLA_STATS64, "0123456789abcdef", 16).build(),
                false, 0},
           Case{"none", Datagram().link(IFF_UP).name("x").build(), false, 0},
       }) {
    LinkDumpParser parser(kSequence);
    parser.feed(c.datagram);
    ASSERT_EQ(parser.entries().size(), 1u) << c.name;
    EXPECT_EQ(parser.entries()[0].hasStatistics, c.hasStatistics) << c.name;
    EXPECT_EQ(parser.entries()[0].receivedBytes, c.received) << c.name;
  }
}

TEST(LinkDumpParserTest, MalformedAttributesEndTheWalkButKeepTheLink) {
  // An attribute header claiming more bytes than the message holds.
  std::vector<std::uint8_t> claimsTooMuch = {0xff, 0xff, IFLA_STATS64, 0x00, 1, 2, 3, 4};
  // An attribute header shorter than itself, which must not loop forever.
  std::vector<std::uint8_t> zeroLength = {0x00, 0x00, IFLA_IFNAME, 0x00};
  for (auto& bad : {claimsTooMuch, zeroLength}) {
    LinkDumpParser parser(kSequence);
    EXPECT_EQ(parser.feed(Datagram().link(IFF_UP).name("eth0").raw(bad).stats64(9, 9).build()),
              Progress::more);
    ASSERT_EQ(parser.entries().size(), 1u);
    EXPECT_EQ(parser.entries()[0].name, "eth0");
    EXPECT_FALSE(parser.entries()[0].hasStatistics);
  }
}

TEST(LinkDumpParserTest, NameWithoutTerminatorIsReadToTheAttributeEnd) {
  LinkDumpParser parser(kSequence);
  parser.feed(Datagram().link(IFF_UP).attribute(IFLA_IFNAME, "enp3s0", 6).build());
  ASSERT_EQ(parser.entries().size(), 1u);
  EXPECT_EQ(parser.entries()[0].name, "enp3s0");
}

TEST(LinkDumpParserTest, RepliesToOtherRequestsAreSkipped) {
  LinkDumpParser parser(kSequence);
  EXPECT_EQ(parser.feed(Datagram()
                            .link(IFF_UP, kSequence - 1)
                            .name("stale")
                            .message(NLMSG_DONE, kSequence - 1)
                            .status(0)
                            .link(IFF_UP)
                            .name("fresh")
                            .build()),
            Progress::more);
  ASSERT_EQ(parser.entries().size(), 1u);
  EXPECT_EQ(parser.entries()[0].name, "fresh");
}

TEST(LinkDumpParserTest, ErrorsAndBrokenFramingFail) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> datagram;
  };
  std::vector<std::uint8_t> overlong = Datagram().link(IFF_UP).name("eth0").build();
  overlong.resize(overlong.size() - 4);
  for (const Case& c : {
           Case{"error reply", Datagram().message(NLMSG_ERROR).status(-EPERM).build()},
           Case{"error without code", Datagram().message(NLMSG_ERROR).build()},
           Case{"failed dump", Datagram().message(NLMSG_DONE).status(-EINTR).build()},
           Case{"overrun", Datagram().message(NLMSG_OVERRUN).build()},
           Case{"message longer than datagram", overlong},
       }) {
    LinkDumpParser parser(kSequence);
    EXPECT_EQ(parser.feed(c.datagram), Progress::failed) << c.name;
  }
  LinkDumpParser acknowledged(kSequence);
  EXPECT_EQ(acknowledged.feed(Datagram().message(NLMSG_ERROR).status(0).build()), Progress::more);
}

TEST(LinkDumpParserTest, InconsistentDumpIsFlagged) {
  LinkDumpParser parser(kSequence);
  EXPECT_EQ(parser.feed(Datagram()
                            .link(IFF_UP, kSequence, NLM_F_MULTI | NLM_F_DUMP_INTR)
                            .message(NLMSG_DONE)
                            .status(0)
                            .build()),
            Progress::done);
  EXPECT_TRUE(parser.interrupted());
}

TEST(LinkDumpParserTest, EveryTruncationOfAReplyParsesWithinItsBytes) {
  // Each prefix lives in a buffer of exactly its size, so a read past the end
  // shows up under AddressSanitizer.
  const std::vector<std::uint8_t> full = twoLinksAndDone();
  for (std::size_t size = 0; size <= full.size(); ++size) {
    const std::vector<std::uint8_t> prefix(full.begin(), full.begin() + size);
    LinkDumpParser parser(kSequence);
    const Progress progress = parser.feed(prefix);
    EXPECT_LE(parser.entries().size(), 2u);
    if (size < full.size()) {
      EXPECT_NE(progress, Progress::done) << size;
    }
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
