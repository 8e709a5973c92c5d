#include "network_agent/sampling/memory_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TEST(MemoryUsageSamplerTest, UsedShareOfPhysicalMemoryIsRoundedCappedOrAbsent) {
  struct MemoryCase {
    const char* what;
    std::optional<platform::MemoryReading> reading;
    std::optional<std::int64_t> percent;
  };
  const MemoryCase cases[] = {
      {"16 GiB with 655,360 pages of 16 KiB: 62.5 rounds up",
       platform::MemoryReading{16 * kGiB, 655'360 * 16 * std::uint64_t{1024}}, 63},
      {"nothing used", platform::MemoryReading{16 * kGiB, 0}, 0},
      {"all used", platform::MemoryReading{16 * kGiB, 16 * kGiB}, 100},
      {"used beyond physical is capped", platform::MemoryReading{16 * kGiB, 40 * kGiB}, 100},
      {"just below one half percent", platform::MemoryReading{1'000'000, 4'999}, 0},
      {"one half percent", platform::MemoryReading{1'000'000, 5'000}, 1},
      {"physical size zero", platform::MemoryReading{0, 4 * kGiB}, std::nullopt},
      {"failed reading", std::nullopt, std::nullopt},
  };
  for (const MemoryCase& memory : cases) {
    testing::FakeMemory source;
    source.reading = memory.reading;
    MemoryUsageSampler sampler{source};
    EXPECT_EQ(sampler.samplePercent(), memory.percent) << memory.what;
  }
}

TEST(MemoryUsageSamplerTest, EachSampleStandsAlone) {
  testing::FakeMemory source;
  MemoryUsageSampler sampler{source};
  source.reading = platform::MemoryReading{8 * kGiB, 2 * kGiB};
  EXPECT_EQ(sampler.samplePercent(), 25);
  source.reading.reset();
  EXPECT_EQ(sampler.samplePercent(), std::nullopt);
  source.reading = platform::MemoryReading{8 * kGiB, 6 * kGiB};
  EXPECT_EQ(sampler.samplePercent(), 75);
}

}  // namespace
}  // namespace agent
