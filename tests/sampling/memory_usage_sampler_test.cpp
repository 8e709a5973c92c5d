#include "network_agent/sampling/memory_usage_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/fake/fake_services.h"

namespace agent {
namespace {

TEST(MemoryUsageSamplerTest, UsedShareOfPhysicalMemoryIsRoundedCappedOrAbsent) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  const struct {
    const char* what;
    std::optional<platform::MemoryReading> reading;
    std::optional<std::int64_t> percent;
  } cases[] = {
      {"62.5 rounds up", platform::MemoryReading{16 * kGiB, 10 * kGiB}, 63},
      {"just below one half percent", platform::MemoryReading{1'000'000, 4'999}, 0},
      {"used beyond physical is capped", platform::MemoryReading{16 * kGiB, 40 * kGiB}, 100},
      {"physical size zero", platform::MemoryReading{0, 4 * kGiB}, std::nullopt},
      {"failed reading", std::nullopt, std::nullopt},
  };
  for (const auto& memory : cases) {
    platform::fake::FakeMemory source;
    source.reading = memory.reading;
    MemoryUsageSampler sampler{source};
    EXPECT_EQ(sampler.samplePercent(), memory.percent) << memory.what;
  }
}

}  // namespace
}  // namespace agent
