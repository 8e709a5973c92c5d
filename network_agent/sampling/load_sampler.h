#pragma once

#include <cstdint>
#include <optional>

namespace agent {

// A source of one load column: memory, CPU or GPU.
class LoadSampler {
 public:
  virtual ~LoadSampler() = default;
  // A whole percentage from 0 to 100; none when there is no reading.
  virtual std::optional<std::int64_t> samplePercent() = 0;
};

}  // namespace agent
