#pragma once

#include <cstdint>
#include <optional>

#include "network_agent/sampling/load_sampler.h"
#include "platform/system_readings.h"

namespace agent {

// The share of physical memory in use right now. Stateless: every sample
// stands alone. Borrows the memory source, which must outlive the sampler.
class MemoryUsageSampler final : public LoadSampler {
 public:
  explicit MemoryUsageSampler(platform::MemorySource& source);

  // Used bytes are limited to the physical size, so the result is 0...100.
  // None when the figures cannot be read or the physical size is 0.
  std::optional<std::int64_t> samplePercent() override;

 private:
  platform::MemorySource& memorySource;
};

}  // namespace agent
