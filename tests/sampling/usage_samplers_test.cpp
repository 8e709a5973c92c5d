#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <tuple>

#include "network_agent/sampling/cpu_usage_sampler.h"
#include "network_agent/sampling/gpu_usage_sampler.h"
#include "network_agent/sampling/memory_usage_sampler.h"
#include "platform/fake/fake_run_loop.h"
#include "platform/fake/fake_services.h"

namespace agent {
namespace {

using Percent = std::optional<std::int64_t>;

TEST(CPUUsageSamplerTest, BusyShareSinceTheLastGoodSampleIsRoundedHalfAwayFromZero) {
  using Ticks = platform::CpuTicksReading;  // user, system, idle, nice; cumulative
  constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
  platform::fake::FakeCpuTicks source;
  CPUUsageSampler sampler{source};
  const std::tuple<const char*, std::optional<Ticks>, Percent> steps[] = {
      {"first sample is zero, not absent", Ticks{1'000, 500, 4'000, 100}, 0},
      {"25 busy (nice included), 75 idle", Ticks{1'010, 510, 4'075, 105}, 25},
      {"1 busy, 199 idle: 0.5 rounds up", Ticks{1'011, 510, 4'274, 105}, 1},
      {"failed reading", std::nullopt, std::nullopt},
      {"3 busy, 1 idle since the last good one", Ticks{1'014, 510, 4'275, 105}, 75},
      {"busy count went down: no busy time", Ticks{500, 510, 4'276, 105}, 0},
      {"lower count is the new baseline; 33.3 rounds down", Ticks{501, 510, 4'278, 105}, 33},
      {"huge deltas do not overflow", Ticks{501 + kHalf, 510, 4'278 + kHalf, 105}, 50},
  };
  for (const auto& [what, reading, percent] : steps) {
    source.reading = reading;
    EXPECT_EQ(sampler.samplePercent(), percent) << what;
  }
}

TEST(MemoryUsageSamplerTest, UsedShareOfPhysicalMemoryIsRoundedCappedOrAbsent) {
  using Memory = platform::MemoryReading;  // physical, used
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  platform::fake::FakeMemory source;
  MemoryUsageSampler sampler{source};
  const std::tuple<const char*, std::optional<Memory>, Percent> steps[] = {
      {"62.5 rounds up", Memory{16 * kGiB, 10 * kGiB}, 63},
      {"0.4999 rounds down", Memory{1'000'000, 4'999}, 0},
      {"used beyond physical is capped", Memory{16 * kGiB, 40 * kGiB}, 100},
      {"physical size zero", Memory{0, 4 * kGiB}, std::nullopt},
      {"failed reading", std::nullopt, std::nullopt},
  };
  for (const auto& [what, reading, percent] : steps) {
    source.reading = reading;
    EXPECT_EQ(sampler.samplePercent(), percent) << what;
  }
}

// Each read takes half a second on the monotonic clock, as a slow tool would.
struct SlowGpuSource final : platform::fake::FakeGpuUtilization {
  explicit SlowGpuSource(platform::fake::FakeClock& clock) : clock(clock) {}
  std::optional<std::int64_t> readDeviceUtilization() override {
    clock.now += 0.5;
    return FakeGpuUtilization::readDeviceUtilization();
  }
  platform::fake::FakeClock& clock;
};

// A window counted from the end of a read would show.
TEST(GPUUsageSamplerTest, ReadsAreCachedForThreeMonotonicSecondsFromTheStartOfTheRead) {
  platform::fake::FakeClock clock;
  SlowGpuSource source{clock};
  GPUUsageSampler sampler{clock, source};
  constexpr double kStart = -1e9;
  const struct {
    double monotonic;
    Percent sourceGives;
    Percent percent;
    int reads;
  } steps[] = {
      {kStart, 10, 10, 1},        // the first request reads, whatever the clock says
      {kStart + 2.5, 20, 10, 1},  // 2.5 s later: cached
      {kStart + 3.0, 20, 20, 2},  // exactly 3.0 s later: reads
      {kStart + 6.0, std::nullopt, std::nullopt, 3},
      {kStart + 7.0, 30, std::nullopt, 3},  // a failed read is cached like a value
      {kStart + 9.0, 30, 30, 4},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.monotonic);
    source.reading = step.sourceGives;
    clock.now = step.monotonic;
    EXPECT_EQ(sampler.samplePercent(), step.percent);
    EXPECT_EQ(source.readCount, step.reads);
  }
  EXPECT_EQ(clock.uptimeReads, 0);
}

}  // namespace
}  // namespace agent
