#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/system_readings.h"

namespace platform::linuxdesktop {

// Collects the interfaces of an rtnetlink RTM_GETLINK dump, or the 64-bit
// counters of an RTM_GETSTATS dump, from the datagrams the kernel sends in
// reply, one datagram at a time. Parsing is bounds-checked
// throughout: a truncated or malformed attribute ends the walk over that
// message's attributes and keeps what was read before it.
class LinkDumpParser {
 public:
  enum class Progress { more, done, failed };

  // Only messages carrying this request's sequence number are read; leftovers
  // of an earlier request are skipped.
  explicit LinkDumpParser(std::uint32_t sequence);

  // Reads one received datagram. done once the dump's end arrived, failed on
  // an error reply or a message whose length runs past the datagram.
  Progress feed(std::span<const std::uint8_t> datagram);

  // One link-level entry per RTM_NEWLINK message, in the kernel's order.
  const std::vector<platform::InterfaceEntry>& entries() const { return links; }
  // The kernel's index of each entry, in the same order.
  const std::vector<int>& indexes() const { return linkIndexes; }

  // The byte counters of one interface from an RTM_NEWSTATS message.
  struct IndexedCounters {
    int index = 0;
    std::uint64_t receivedBytes = 0;
    std::uint64_t sentBytes = 0;
  };
  // One per RTM_NEWSTATS message that carries the 64-bit link counters.
  const std::vector<IndexedCounters>& counters() const { return linkCounters; }

  // True when the kernel flagged the dump as inconsistent: the interface set
  // changed while it was being read, so an interface may be missing or twice.
  bool interrupted() const { return dumpInterrupted; }

 private:
  Progress readMessage(std::uint16_t type, std::span<const std::uint8_t> payload);
  void readLink(std::span<const std::uint8_t> payload);
  void readStats(std::span<const std::uint8_t> payload);

  std::uint32_t sequence = 0;
  std::vector<platform::InterfaceEntry> links;
  std::vector<int> linkIndexes;
  std::vector<IndexedCounters> linkCounters;
  bool dumpInterrupted = false;
};

// The entries of a link dump (with the kernel's index of each) carrying the
// counters of a later stats dump instead of their own; none when the two do
// not list the same interfaces. Linear when both list them in one order, as
// the kernel does.
std::optional<std::vector<platform::InterfaceEntry>> linksWithCounters(
    const std::vector<platform::InterfaceEntry>& links, const std::vector<int>& indexes,
    const std::vector<LinkDumpParser::IndexedCounters>& counters);

}  // namespace platform::linuxdesktop
