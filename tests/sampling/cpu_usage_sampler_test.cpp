#include "network_agent/sampling/cpu_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

class CPUUsageSamplerTest : public ::testing::Test {
 protected:
  testing::FakeCpuTicks ticks;
  CPUUsageSampler sampler{ticks};

  std::optional<std::int64_t> sampleWith(std::uint64_t user, std::uint64_t system,
                                         std::uint64_t idle, std::uint64_t nice) {
    ticks.reading =
        platform::CpuTicksReading{.user = user, .system = system, .idle = idle, .nice = nice};
    return sampler.samplePercent();
  }
};

TEST_F(CPUUsageSamplerTest, FirstSampleIsZeroNotAbsent) {
  EXPECT_EQ(sampleWith(900, 50, 50, 0), 0);
}

TEST_F(CPUUsageSamplerTest, BusyShareSinceThePreviousSampleIsRoundedHalfAwayFromZero) {
  struct Step {
    std::uint64_t user, system, idle, nice;
    std::int64_t percent;
  };
  // Each step's ticks are cumulative; the deltas are noted beside.
  const Step steps[] = {
      {1'000, 500, 4'000, 100, 0},    // baseline
      {1'010, 510, 4'075, 105, 25},   // 25 busy, 75 idle
      {1'011, 510, 4'274, 105, 1},    // 1 busy, 199 idle: 0.5 rounds up
      {1'011, 510, 4'274, 105, 0},    // nothing happened
      {1'111, 510, 4'274, 105, 100},  // busy only
      {1'111, 510, 4'275, 105, 0},    // idle only
      {1'112, 511, 4'276, 105, 67},   // 2 busy, 1 idle: 66.67
      {1'113, 511, 4'283, 105, 13},   // 1 busy, 7 idle: 12.5 rounds up
      {1'113, 511, 4'284, 108, 75},   // 3 nice count as busy, 1 idle
  };
  for (const Step& step : steps) {
    EXPECT_EQ(sampleWith(step.user, step.system, step.idle, step.nice), step.percent)
        << step.user << " " << step.system << " " << step.idle << " " << step.nice;
  }
}

TEST_F(CPUUsageSamplerTest, FailedReadingIsAbsentAndKeepsTheBaseline) {
  sampleWith(100, 0, 100, 0);
  ticks.reading.reset();
  EXPECT_EQ(sampler.samplePercent(), std::nullopt);
  // Measured against the reading before the failure, not a fresh baseline.
  EXPECT_EQ(sampleWith(130, 0, 110, 0), 75);
}

TEST_F(CPUUsageSamplerTest, CountThatWentDownGivesZeroDeltaForThatCountOnly) {
  sampleWith(1'000, 0, 1'000, 0);
  // Active fell: only idle moved, so nothing was busy.
  EXPECT_EQ(sampleWith(500, 0, 1'040, 0), 0);
  // The lower active count became the baseline.
  EXPECT_EQ(sampleWith(530, 0, 1'050, 0), 75);
  // Idle fell: only active moved, so everything was busy.
  EXPECT_EQ(sampleWith(540, 0, 10, 0), 100);
  EXPECT_EQ(sampleWith(550, 0, 40, 0), 25);
}

TEST_F(CPUUsageSamplerTest, HugeDeltasDoNotOverflow) {
  const std::uint64_t huge = std::uint64_t{1} << 63;
  sampleWith(0, 0, 0, 0);
  EXPECT_EQ(sampleWith(huge, 0, huge, 0), 50);
}

}  // namespace
}  // namespace agent
