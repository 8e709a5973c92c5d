#include "network_agent/sampling/network_speed_sampler.h"

#include <limits>
#include <utility>

namespace agent {

NetworkSpeedSampler::NetworkSpeedSampler(platform::Clock& clock,
                                         platform::InterfaceList& interfaces)
    : uptimeClock(clock), interfaceList(interfaces) {}

bool NetworkSpeedSampler::isCounted(const platform::InterfaceEntry& entry) {
  return entry.linkLevel && entry.up && !entry.loopback && entry.name.has_value() &&
         !entry.name->starts_with("lo") && entry.hasStatistics;
}

NetworkSpeedSampler::Counters NetworkSpeedSampler::countedTotals(
    const std::vector<platform::InterfaceEntry>& entries) {
  Counters totals;
  for (const platform::InterfaceEntry& entry : entries) {
    if (!isCounted(entry)) continue;
    totals.receivedBytes += entry.receivedBytes;
    totals.sentBytes += entry.sentBytes;
  }
  return totals;
}

std::uint64_t NetworkSpeedSampler::growth(std::uint64_t current, std::uint64_t previous,
                                          platform::CounterWidth width) {
  const auto bits = static_cast<unsigned>(width);
  const std::uint64_t mask =
      bits >= 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
  const std::uint64_t difference = (current - previous) & mask;
  return difference > mask / 2 ? 0 : difference;
}

NetworkSnapshot NetworkSpeedSampler::sample() {
  // Read before the walk, so that intervals run from walk start to walk start.
  const double now = uptimeClock.uptimeSeconds();
  const std::optional<std::vector<platform::InterfaceEntry>> entries = interfaceList.interfaces();
  // A list that cannot be read leaves the baseline alone. Taking it as an
  // empty list would make every interface new again at the next reading.
  if (!entries) return NetworkSnapshot{};
  const std::uint64_t thisSample = ++goodSamples;
  Counters added;
  for (const platform::InterfaceEntry& entry : *entries) {
    if (!isCounted(entry)) continue;
    const Counters current{entry.receivedBytes, entry.sentBytes};
    auto [seen, isNew] = previousCounters.try_emplace(*entry.name, Seen{current, thisSample});
    // A second entry of one name within a list is left out.
    if (isNew || seen->second.sample == thisSample) continue;
    added.receivedBytes +=
        growth(current.receivedBytes, seen->second.counters.receivedBytes, entry.counterWidth);
    added.sentBytes +=
        growth(current.sentBytes, seen->second.counters.sentBytes, entry.counterWidth);
    seen->second = Seen{current, thisSample};
  }
  std::erase_if(previousCounters,
                [&](const auto& interface) { return interface.second.sample != thisSample; });
  const std::optional<double> since = std::exchange(previousSampleTime, now);
  if (!since) return NetworkSnapshot{};
  double interval = now - *since;
  // Also catches a NaN interval, which compares false.
  if (!(interval > kMinimumIntervalSeconds)) interval = kMinimumIntervalSeconds;
  return NetworkSnapshot{
      .uploadBytesPerSecond = static_cast<double>(added.sentBytes) / interval,
      .downloadBytesPerSecond = static_cast<double>(added.receivedBytes) / interval};
}

}  // namespace agent
