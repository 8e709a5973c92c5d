#include "network_agent/sampling/memory_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/fake/fake_services.h"
#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

using Memory = platform::MemoryReading;  // physical, used

TEST(MemoryUsageSamplerTest, UsedShareOfPhysicalMemoryIsRoundedCappedOrAbsent) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  testing::expectPercents<MemoryUsageSampler, platform::fake::FakeMemory>({
      {"62.5 rounds up", Memory{16 * kGiB, 10 * kGiB}, 63},
      {"0.4999 rounds down", Memory{1'000'000, 4'999}, 0},
      {"used beyond physical is capped", Memory{16 * kGiB, 40 * kGiB}, 100},
      {"physical size zero", Memory{0, 4 * kGiB}, std::nullopt},
      {"failed reading", std::nullopt, std::nullopt},
  });
}

}  // namespace
}  // namespace agent
