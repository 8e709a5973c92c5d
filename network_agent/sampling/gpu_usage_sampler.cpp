#include "network_agent/sampling/gpu_usage_sampler.h"

namespace agent {

GPUUsageSampler::GPUUsageSampler(platform::Clock& clock, platform::GpuUtilizationSource& source)
    : monotonicClock(clock), utilizationSource(source) {}

std::optional<std::int64_t> GPUUsageSampler::samplePercent() {
  // A monotonic clock: with a wall clock, setting the time back would keep
  // the cached value for as long as the clock was set back.
  if (lastSampleAt && monotonicClock.monotonicSeconds() - *lastSampleAt < kCacheIntervalSeconds) {
    return cachedPercent;
  }
  lastSampleAt = monotonicClock.monotonicSeconds();
  cachedPercent = utilizationSource.readDeviceUtilization();
  return cachedPercent;
}

}  // namespace agent
