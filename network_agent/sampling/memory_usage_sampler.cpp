#include "network_agent/sampling/memory_usage_sampler.h"

#include <algorithm>
#include <cmath>

namespace agent {

MemoryUsageSampler::MemoryUsageSampler(platform::MemorySource& source) : memorySource(source) {}

std::optional<std::int64_t> MemoryUsageSampler::samplePercent() {
  const std::optional<platform::MemoryReading> reading = memorySource.memory();
  if (!reading || reading->physicalBytes == 0) return std::nullopt;
  // Used figures add up counts taken at slightly different moments and can
  // pass the physical size; a column never shows more than 100.
  const std::uint64_t usedBytes = std::min(reading->usedBytes, reading->physicalBytes);
  const double share = static_cast<double>(usedBytes) / static_cast<double>(reading->physicalBytes);
  return std::llround(share * 100.0);
}

}  // namespace agent
