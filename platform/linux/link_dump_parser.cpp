#include "platform/linux/link_dump_parser.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>

namespace platform::linuxdesktop {
namespace {

// Reads a T from raw bytes: netlink payloads are only 4-byte aligned, and the
// 64-bit counters inside them may not be aligned for a direct load.
template <class T>
std::optional<T> readAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return std::nullopt;
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

std::size_t alignedLength(std::size_t length, std::size_t available) {
  const std::size_t aligned = NLMSG_ALIGN(length);
  return aligned < available ? aligned : available;
}

std::string nameFrom(std::span<const std::uint8_t> payload) {
  const auto* begin = reinterpret_cast<const char*>(payload.data());
  return std::string(begin, strnlen(begin, payload.size()));
}

struct Counters {
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
};

// rtnl_link_stats64 begins rx_packets, tx_packets, rx_bytes, tx_bytes (u64);
// rtnl_link_stats has the same order in u32.
template <class Counter>
std::optional<Counters> countersFrom(std::span<const std::uint8_t> payload) {
  const auto received = readAt<Counter>(payload, 2 * sizeof(Counter));
  const auto sent = readAt<Counter>(payload, 3 * sizeof(Counter));
  if (!received || !sent) return std::nullopt;
  return Counters{*received, *sent};
}

// Calls visit(type, value) for each attribute in turn until it returns false;
// an attribute whose length runs past the rest or is shorter than its own
// header ends the walk.
template <class Visit>
void forEachAttribute(std::span<const std::uint8_t> attributes, Visit visit) {
  while (const auto attribute = readAt<rtattr>(attributes, 0)) {
    if (attribute->rta_len < sizeof(rtattr) || attribute->rta_len > attributes.size()) return;
    const auto value = attributes.subspan(RTA_LENGTH(0), attribute->rta_len - RTA_LENGTH(0));
    if (!visit(attribute->rta_type & NLA_TYPE_MASK, value)) return;
    attributes = attributes.subspan(alignedLength(attribute->rta_len, attributes.size()));
  }
}

}  // namespace

LinkDumpParser::LinkDumpParser(std::uint32_t sequence) : sequence(sequence) {}

LinkDumpParser::Progress LinkDumpParser::feed(std::span<const std::uint8_t> datagram) {
  while (datagram.size() >= sizeof(nlmsghdr)) {
    const auto header = *readAt<nlmsghdr>(datagram, 0);
    if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size()) {
      return Progress::failed;
    }
    if (header.nlmsg_seq == sequence) {
      if ((header.nlmsg_flags & NLM_F_DUMP_INTR) != 0) dumpInterrupted = true;
      const auto payload = datagram.subspan(NLMSG_HDRLEN, header.nlmsg_len - NLMSG_HDRLEN);
      const Progress progress = readMessage(header.nlmsg_type, payload);
      if (progress != Progress::more) return progress;
    }
    datagram = datagram.subspan(alignedLength(header.nlmsg_len, datagram.size()));
  }
  return Progress::more;
}

LinkDumpParser::Progress LinkDumpParser::readMessage(std::uint16_t type,
                                                     std::span<const std::uint8_t> payload) {
  switch (type) {
    case NLMSG_DONE: {
      // The dump's own result follows the header; a negative one is an error.
      const auto status = readAt<int>(payload, 0);
      return status && *status < 0 ? Progress::failed : Progress::done;
    }
    case NLMSG_ERROR: {
      // An error code of 0 is an acknowledgement, not a failure.
      const auto error = readAt<int>(payload, 0);
      return !error || *error != 0 ? Progress::failed : Progress::more;
    }
    case NLMSG_OVERRUN:
      return Progress::failed;
    case RTM_NEWLINK:
      readLink(payload);
      return Progress::more;
    case RTM_NEWSTATS:
      readStats(payload);
      return Progress::more;
    default:
      return Progress::more;
  }
}

void LinkDumpParser::readLink(std::span<const std::uint8_t> payload) {
  const auto info = readAt<ifinfomsg>(payload, 0);
  if (!info) return;
  platform::InterfaceEntry entry;
  entry.linkLevel = true;
  entry.up = (info->ifi_flags & IFF_UP) != 0;
  entry.loopback = (info->ifi_flags & IFF_LOOPBACK) != 0;
  std::optional<Counters> counters32;
  std::optional<Counters> counters64;
  forEachAttribute(payload.subspan(alignedLength(sizeof(ifinfomsg), payload.size())),
                   [&](unsigned type, std::span<const std::uint8_t> value) {
                     switch (type) {
                       case IFLA_IFNAME:
                         entry.name = nameFrom(value);
                         break;
                       case IFLA_STATS64:
                         counters64 = countersFrom<std::uint64_t>(value);
                         break;
                       case IFLA_STATS:
                         counters32 = countersFrom<std::uint32_t>(value);
                         break;
                     }
                     return true;
                   });
  // The 64-bit counters are preferred; the 32-bit ones (which wrap every
  // 4 GiB, and the entry says so) stand in only on a kernel that sends no
  // 64-bit set.
  const std::optional<Counters> counters = counters64 ? counters64 : counters32;
  entry.hasStatistics = counters.has_value();
  if (counters) {
    entry.receivedBytes = counters->received;
    entry.sentBytes = counters->sent;
    if (!counters64) entry.counterWidth = platform::CounterWidth::bits32;
  }
  links.push_back(std::move(entry));
  linkIndexes.push_back(info->ifi_index);
}

void LinkDumpParser::readStats(std::span<const std::uint8_t> payload) {
  const auto header = readAt<if_stats_msg>(payload, 0);
  if (!header) return;
  forEachAttribute(payload.subspan(alignedLength(sizeof(if_stats_msg), payload.size())),
                   [&](unsigned type, std::span<const std::uint8_t> value) {
                     if (type != IFLA_STATS_LINK_64) return true;
                     if (const auto counters = countersFrom<std::uint64_t>(value)) {
                       linkCounters.push_back(
                           {static_cast<int>(header->ifindex), counters->received, counters->sent});
                     }
                     return false;
                   });
}

std::optional<std::vector<platform::InterfaceEntry>> linksWithCounters(
    const std::vector<platform::InterfaceEntry>& links, const std::vector<int>& indexes,
    const std::vector<LinkDumpParser::IndexedCounters>& counters) {
  if (counters.size() != links.size() || indexes.size() != links.size()) return std::nullopt;
  std::vector<platform::InterfaceEntry> entries = links;
  for (std::size_t at = 0; at < entries.size(); ++at) {
    const auto sameIndex = [&](const auto& read) { return read.index == indexes[at]; };
    const auto read = sameIndex(counters[at])
                          ? counters.begin() + static_cast<std::ptrdiff_t>(at)
                          : std::find_if(counters.begin(), counters.end(), sameIndex);
    if (read == counters.end()) return std::nullopt;
    entries[at].hasStatistics = true;
    entries[at].receivedBytes = read->receivedBytes;
    entries[at].sentBytes = read->sentBytes;
    entries[at].counterWidth = platform::CounterWidth::bits64;
  }
  return entries;
}

}  // namespace platform::linuxdesktop
