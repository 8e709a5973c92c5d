#pragma once

#include <cstdint>
#include <optional>

#include "network_agent/sampling/load_sampler.h"
#include "platform/system_readings.h"

namespace agent {

// The share of processor time spent busy since the previous successful
// sample. Borrows the tick source, which must outlive the sampler.
class CPUUsageSampler final : public LoadSampler {
 public:
  // One reading of the system-wide tick counters.
  struct Ticks {
    std::uint64_t active = 0;  // user + system + nice
    std::uint64_t idle = 0;
  };

  explicit CPUUsageSampler(platform::CpuTicksSource& source);

  // 0 on the first successful sample, which only records the baseline; none
  // when the ticks cannot be read, which leaves the baseline as it was.
  std::optional<std::int64_t> samplePercent() override;

 private:
  platform::CpuTicksSource& ticksSource;
  std::optional<Ticks> previousTicks;
};

}  // namespace agent
