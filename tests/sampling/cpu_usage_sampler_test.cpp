#include "network_agent/sampling/cpu_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/fake/fake_services.h"

namespace agent {
namespace {

TEST(CPUUsageSamplerTest, BusyShareSinceTheLastGoodSampleIsRoundedHalfAwayFromZero) {
  constexpr std::uint64_t kHalfRange = std::uint64_t{1} << 63;
  struct Step {
    const char* what;
    std::optional<platform::CpuTicksReading> ticks;  // user, system, idle, nice; cumulative
    std::optional<std::int64_t> percent;
  };
  const Step steps[] = {
      {"first sample is zero, not absent", platform::CpuTicksReading{1'000, 500, 4'000, 100}, 0},
      {"25 busy, 75 idle", platform::CpuTicksReading{1'010, 510, 4'075, 105}, 25},
      {"1 busy, 199 idle: 0.5 rounds up", platform::CpuTicksReading{1'011, 510, 4'274, 105}, 1},
      {"failed reading", std::nullopt, std::nullopt},
      {"3 busy, 1 idle since the last good one", platform::CpuTicksReading{1'014, 510, 4'275, 105},
       75},
      {"busy count went down: no busy time", platform::CpuTicksReading{500, 510, 4'276, 105}, 0},
      {"lower count is the new baseline", platform::CpuTicksReading{502, 510, 4'276, 105}, 100},
      {"nice counts as busy", platform::CpuTicksReading{502, 510, 4'277, 108}, 75},
      {"huge deltas do not overflow",
       platform::CpuTicksReading{502 + kHalfRange, 510, 4'277 + kHalfRange, 108}, 50},
  };
  platform::fake::FakeCpuTicks source;
  CPUUsageSampler sampler{source};
  for (const Step& step : steps) {
    source.reading = step.ticks;
    EXPECT_EQ(sampler.samplePercent(), step.percent) << step.what;
  }
}

}  // namespace
}  // namespace agent
