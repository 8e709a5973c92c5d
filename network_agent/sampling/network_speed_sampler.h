#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "network_agent/sampling/network_snapshot.h"
#include "platform/clock.h"
#include "platform/system_readings.h"

namespace agent {

// Turns the cumulative byte counters of the network interfaces into upload
// and download rates by comparing each sample with the one before it.
// Borrows the clock and the interface list; both must outlive the sampler.
class NetworkSpeedSampler {
 public:
  // One reading of the byte totals over all counted interfaces.
  struct Counters {
    std::uint64_t receivedBytes = 0;
    std::uint64_t sentBytes = 0;
  };

  // Intervals this short or shorter (zero and negative included) count as this.
  static constexpr double kMinimumIntervalSeconds = 0.001;

  NetworkSpeedSampler(platform::Clock& clock, platform::InterfaceList& interfaces);

  // Rates in bytes per second since the previous sample. The first sample
  // only records a baseline and reports zero rates. A list that cannot be
  // read reports zero rates and keeps the previous sample as the baseline.
  NetworkSnapshot sample();

  // Whether an entry's counters are counted: its link-level entry, up and not
  // loopback, named with a name not beginning with "lo", with statistics.
  static bool isCounted(const platform::InterfaceEntry& entry);

  // The sums over the counted entries, in list order. The sums wrap modulo
  // 2^64; a wrap then reads as a counter that went down.
  static Counters countedTotals(const std::vector<platform::InterfaceEntry>& entries);

 private:
  std::optional<Counters> readTotals();

  platform::Clock& uptimeClock;
  platform::InterfaceList& interfaceList;
  std::optional<Counters> previousCounters;
  std::optional<double> previousSampleTime;
};

}  // namespace agent
