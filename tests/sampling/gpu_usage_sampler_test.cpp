#include "network_agent/sampling/gpu_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

class GPUUsageSamplerTest : public ::testing::Test {
 protected:
  testing::FakeClock clock;
  testing::FakeGpuSource source;
  GPUUsageSampler sampler{clock, source};

  std::optional<std::int64_t> sampleAt(double monotonic) {
    clock.monotonic = monotonic;
    return sampler.samplePercent();
  }
};

TEST_F(GPUUsageSamplerTest, FirstRequestReadsWhateverTheClockSays) {
  clock.monotonic = -1e9;
  source.result = 42;
  EXPECT_EQ(sampler.samplePercent(), 42);
  EXPECT_EQ(source.reads, 1);
}

TEST_F(GPUUsageSamplerTest, ResultIsCachedForThreeSecondsAfterTheReadBegan) {
  source.result = 10;
  EXPECT_EQ(sampleAt(100.0), 10);
  source.result = 20;
  EXPECT_EQ(sampleAt(101.0), 10);
  EXPECT_EQ(sampleAt(102.0), 10);
  EXPECT_EQ(sampleAt(102.999), 10);
  EXPECT_EQ(source.reads, 1);
  EXPECT_EQ(sampleAt(103.0), 20);
  EXPECT_EQ(source.reads, 2);
  // The next window runs from the second read.
  source.result = 30;
  EXPECT_EQ(sampleAt(105.5), 20);
  EXPECT_EQ(sampleAt(106.0), 30);
  EXPECT_EQ(source.reads, 3);
}

TEST_F(GPUUsageSamplerTest, FailedReadIsCachedLikeAValue) {
  source.result = std::nullopt;
  EXPECT_EQ(sampleAt(50.0), std::nullopt);
  source.result = 60;
  EXPECT_EQ(sampleAt(51.0), std::nullopt);
  EXPECT_EQ(source.reads, 1);
  EXPECT_EQ(sampleAt(53.0), 60);
  // And a failure replaces a cached value.
  source.result = std::nullopt;
  EXPECT_EQ(sampleAt(56.0), std::nullopt);
  EXPECT_EQ(sampleAt(57.0), std::nullopt);
  EXPECT_EQ(source.reads, 3);
}

TEST_F(GPUUsageSamplerTest, OnlyTheMonotonicClockDecides) {
  source.result = 5;
  clock.uptime = 1'000.0;
  sampleAt(10.0);
  // The other clock jumping about changes nothing.
  clock.uptime = 5'000.0;
  sampleAt(11.0);
  clock.uptime = -5'000.0;
  sampleAt(12.0);
  EXPECT_EQ(source.reads, 1);
  EXPECT_EQ(clock.uptimeReads, 0);
  sampleAt(13.0);
  EXPECT_EQ(source.reads, 2);
}

TEST(GPUUsageSamplerTimingTest, WindowStartsWhenTheReadBeginsNotWhenItEnds) {
  testing::FakeClock clock;
  class SlowSource final : public platform::GpuUtilizationSource {
   public:
    explicit SlowSource(testing::FakeClock& clock) : clock(clock) {}
    std::optional<std::int64_t> readDeviceUtilization() override {
      ++reads;
      clock.monotonic += 2.5;
      return 1;
    }
    testing::FakeClock& clock;
    int reads = 0;
  } source{clock};
  GPUUsageSampler sampler{clock, source};
  clock.monotonic = 10.0;
  sampler.samplePercent();
  ASSERT_EQ(clock.monotonic, 12.5);
  clock.monotonic = 13.0;
  sampler.samplePercent();
  EXPECT_EQ(source.reads, 2);
}

TEST_F(GPUUsageSamplerTest, OutOfRangeSourceValuesAreLimitedToZeroToHundred) {
  source.result = 250;
  EXPECT_EQ(sampleAt(0.0), 100);
  source.result = -7;
  EXPECT_EQ(sampleAt(3.0), 0);
  EXPECT_EQ(sampleAt(4.0), 0);
}

}  // namespace
}  // namespace agent
