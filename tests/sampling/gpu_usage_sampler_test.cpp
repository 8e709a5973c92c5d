#include "network_agent/sampling/gpu_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

// Each read moves the monotonic clock on by readSeconds, as a slow tool would.
class FakeGpuSource final : public platform::GpuUtilizationSource {
 public:
  explicit FakeGpuSource(testing::FakeClock& clock) : clock(clock) {}
  std::optional<std::int64_t> readDeviceUtilization() override {
    ++reads;
    clock.monotonic += readSeconds;
    return result;
  }
  testing::FakeClock& clock;
  std::optional<std::int64_t> result;
  double readSeconds = 0.0;
  int reads = 0;
};

// Every read takes half a second, so a window counted from the end of a read would show.
TEST(GPUUsageSamplerTest, ReadsAreCachedForThreeMonotonicSecondsFromTheStartOfTheRead) {
  testing::FakeClock clock;
  FakeGpuSource source{clock};
  source.readSeconds = 0.5;
  GPUUsageSampler sampler{clock, source};
  constexpr double kStart = -1e9;
  const struct {
    double monotonic;
    std::optional<std::int64_t> sourceGives;
    std::optional<std::int64_t> percent;
    int reads;
  } steps[] = {
      {kStart, 10, 10, 1},        // the first request reads, whatever the clock says
      {kStart + 1.0, 20, 10, 1},  // 1 s later: cached
      {kStart + 2.0, 20, 10, 1},  // 2 s later: cached
      {kStart + 3.0, 20, 20, 2},  // exactly 3.0 s later: reads
      {kStart + 6.0, std::nullopt, std::nullopt, 3},
      {kStart + 7.0, 30, std::nullopt, 3},  // a failed read is cached like a value
      {kStart + 9.0, 250, 100, 4},          // out of range values are limited
      {kStart + 12.0, -7, 0, 5},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.monotonic);
    source.result = step.sourceGives;
    clock.monotonic = step.monotonic;
    clock.uptime = -step.monotonic;  // the other clock runs the opposite way
    EXPECT_EQ(sampler.samplePercent(), step.percent);
    EXPECT_EQ(source.reads, step.reads);
  }
  EXPECT_EQ(clock.uptimeReads, 0);
}

}  // namespace
}  // namespace agent
