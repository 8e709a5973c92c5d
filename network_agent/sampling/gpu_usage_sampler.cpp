#include "network_agent/sampling/gpu_usage_sampler.h"

#include <algorithm>

namespace agent {

namespace {

constexpr std::int64_t kLowestPercent = 0;
constexpr std::int64_t kHighestPercent = 100;

}  // namespace

GPUUsageSampler::GPUUsageSampler(platform::Clock& clock, platform::GpuUtilizationSource& source)
    : monotonicClock(clock), utilizationSource(source) {}

std::optional<std::int64_t> GPUUsageSampler::samplePercent() {
  // A monotonic clock: with a wall clock, setting the time back would keep
  // the cached value for as long as the clock was set back.
  if (lastSampleAt && monotonicClock.monotonicSeconds() - *lastSampleAt < kCacheIntervalSeconds) {
    return cachedPercent;
  }
  lastSampleAt = monotonicClock.monotonicSeconds();
  std::optional<std::int64_t> percent = utilizationSource.readDeviceUtilization();
  // Sources promise 0...100; a misbehaving one must not reach the column.
  if (percent) percent = std::clamp(*percent, kLowestPercent, kHighestPercent);
  cachedPercent = percent;
  return cachedPercent;
}

}  // namespace agent
