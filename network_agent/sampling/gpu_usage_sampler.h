#pragma once

#include <cstdint>
#include <optional>

#include "network_agent/sampling/load_sampler.h"
#include "platform/clock.h"
#include "platform/system_readings.h"

namespace agent {

// The graphics device's utilisation, read at most once every
// kCacheIntervalSeconds however often it is asked. Borrows the clock and the
// source, which must outlive the sampler.
class GPUUsageSampler final : public LoadSampler {
 public:
  // A new read happens once at least this much monotonic time has passed
  // since the previous read began.
  static constexpr double kCacheIntervalSeconds = 3.0;

  GPUUsageSampler(platform::Clock& clock, platform::GpuUtilizationSource& source);

  // The result of the latest read, 0...100, or none when that read failed.
  // The first request always reads.
  std::optional<std::int64_t> samplePercent() override;

 private:
  platform::Clock& monotonicClock;
  platform::GpuUtilizationSource& utilizationSource;
  std::optional<std::int64_t> cachedPercent;
  // Monotonic seconds at which the latest read began; none before the first.
  std::optional<double> lastSampleAt;
};

}  // namespace agent
