#include "network_agent/sampling/network_speed_sampler.h"

namespace agent {

namespace {

// A total that went down (an interface went away, a counter wrapped) gives
// no delta rather than an enormous one; each direction is judged alone.
std::uint64_t deltaOrZero(std::uint64_t current, std::uint64_t previous) {
  return current >= previous ? current - previous : 0;
}

}  // namespace

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

std::optional<NetworkSpeedSampler::Counters> NetworkSpeedSampler::readTotals() {
  const std::optional<std::vector<platform::InterfaceEntry>> entries = interfaceList.interfaces();
  if (!entries) return std::nullopt;
  return countedTotals(*entries);
}

NetworkSnapshot NetworkSpeedSampler::sample() {
  // Read before the walk, so that intervals run from walk start to walk start.
  const double now = uptimeClock.uptimeSeconds();
  const std::optional<Counters> reading = readTotals();
  // A list that cannot be read leaves the baseline alone. Taking zero totals
  // as the baseline would make the next good reading count every byte since
  // boot as traffic of one interval.
  if (!reading) return NetworkSnapshot{};
  const Counters current = *reading;
  if (!previousCounters || !previousSampleTime) {
    previousCounters = current;
    previousSampleTime = now;
    return NetworkSnapshot{};
  }
  double interval = now - *previousSampleTime;
  // Also catches a NaN interval, which compares false.
  if (!(interval > kMinimumIntervalSeconds)) interval = kMinimumIntervalSeconds;
  const std::uint64_t received =
      deltaOrZero(current.receivedBytes, previousCounters->receivedBytes);
  const std::uint64_t sent = deltaOrZero(current.sentBytes, previousCounters->sentBytes);
  previousCounters = current;
  previousSampleTime = now;
  return NetworkSnapshot{.uploadBytesPerSecond = static_cast<double>(sent) / interval,
                         .downloadBytesPerSecond = static_cast<double>(received) / interval};
}

}  // namespace agent
