#include "network_agent/sampling/gpu_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/fake/fake_run_loop.h"
#include "platform/fake/fake_services.h"

namespace agent {
namespace {

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
    std::optional<std::int64_t> sourceGives;
    std::optional<std::int64_t> percent;
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
