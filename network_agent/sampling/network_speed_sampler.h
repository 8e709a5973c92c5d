#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "network_agent/sampling/network_snapshot.h"
#include "platform/clock.h"
#include "platform/system_readings.h"

namespace agent {

// Turns the cumulative byte counters of the network interfaces into upload
// and download rates by comparing each sample with the one before it,
// interface by interface. Borrows the clock and the interface list; both
// must outlive the sampler.
class NetworkSpeedSampler {
 public:
  // One reading of byte counters.
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
  // Each counted interface adds the growth of its counters modulo their
  // width, so a counter that wrapped once adds what it really counted. A
  // growth of more than half the width is a counter that went down (reset,
  // interface made anew) and adds nothing; so does an interface seen for the
  // first time, and one that went away simply stops adding.
  NetworkSnapshot sample();

  // Whether an entry's counters are counted: its link-level entry, up and not
  // loopback, named with a name not beginning with "lo", with statistics.
  static bool isCounted(const platform::InterfaceEntry& entry);

  // The sums over the counted entries, in list order, modulo 2^64.
  static Counters countedTotals(const std::vector<platform::InterfaceEntry>& entries);

  // What a counter of this width counted from `previous` to `current`:
  // their difference modulo 2^width, or zero when that is more than half
  // of 2^width (the counter went down).
  static std::uint64_t growth(std::uint64_t current, std::uint64_t previous,
                              platform::CounterWidth width);

 private:
  struct Seen {
    Counters counters;
    std::uint64_t sample = 0;
  };

  platform::Clock& uptimeClock;
  platform::InterfaceList& interfaceList;
  // The last counters of each interface counted in the previous good sample.
  std::map<std::string, Seen, std::less<>> previousCounters;
  std::uint64_t goodSamples = 0;
  std::optional<double> previousSampleTime;
};

}  // namespace agent
