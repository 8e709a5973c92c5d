#include "network_agent/sampling/cpu_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/fake/fake_services.h"
#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

using Ticks = platform::CpuTicksReading;  // user, system, idle, nice; cumulative

TEST(CPUUsageSamplerTest, BusyShareSinceTheLastGoodSampleIsRoundedHalfAwayFromZero) {
  constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
  testing::expectPercents<CPUUsageSampler, platform::fake::FakeCpuTicks>({
      {"first sample is zero, not absent", Ticks{1'000, 500, 4'000, 100}, 0},
      {"25 busy (nice included), 75 idle", Ticks{1'010, 510, 4'075, 105}, 25},
      {"1 busy, 199 idle: 0.5 rounds up", Ticks{1'011, 510, 4'274, 105}, 1},
      {"failed reading", std::nullopt, std::nullopt},
      {"3 busy, 1 idle since the last good one", Ticks{1'014, 510, 4'275, 105}, 75},
      {"busy count went down: no busy time", Ticks{500, 510, 4'276, 105}, 0},
      {"lower count is the new baseline; 33.3 rounds down", Ticks{501, 510, 4'278, 105}, 33},
      {"huge deltas do not overflow", Ticks{501 + kHalf, 510, 4'278 + kHalf, 105}, 50},
  });
}

}  // namespace
}  // namespace agent
