#include "platform/darwin/mach_statistics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::darwin {
namespace {

TEST(MachStatisticsTest, TickCountersAreReadAsSignedThirtyTwoBitCounts) {
  const CpuTicksReading ticks = cpuTicksFromLoadInfo(
      {.user = 0x7fffffff, .system = 0x80000000, .idle = 0xffffffff, .nice = 25});
  EXPECT_EQ(ticks.user, 0x7fffffffu);
  EXPECT_EQ(ticks.system, 0u);
  EXPECT_EQ(ticks.idle, 0u);
  EXPECT_EQ(ticks.nice, 25u);
}

TEST(MachStatisticsTest, UsedMemoryIsWiredInternalAndCompressorPagesCappedAtPhysical) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  constexpr std::uint64_t kPage = 16 * 1024;
  struct Case {
    const char* what;
    std::uint64_t physical;
    std::uint64_t pageSize;
    UsedPageCounts pages;
    std::optional<std::uint64_t> used;
  };
  for (const Case& c : std::vector<Case>{
           {"10 GiB of 16 KiB pages", 16 * kGiB, kPage, {200'000, 400'000, 55'360}, 10 * kGiB},
           {"counts summed in 64 bits", 64 * kGiB, kPage, {0xffffffff, 1, 0}, 64 * kGiB},
           {"more than physical", 16 * kGiB, kPage, {1'000'000, 1'000'000, 0}, 16 * kGiB},
           {"a product beyond 64 bits",
            16 * kGiB,
            std::uint64_t{1} << 40,
            {1 << 30, 0, 0},
            16 * kGiB},
           {"physical size zero", 0, kPage, {1, 1, 1}, std::nullopt},
           {"page size zero", 16 * kGiB, 0, {1, 1, 1}, std::nullopt},
       }) {
    SCOPED_TRACE(c.what);
    const std::optional<MemoryReading> reading =
        memoryFromVmStatistics(c.physical, c.pageSize, c.pages);
    ASSERT_EQ(reading.has_value(), c.used.has_value());
    if (!reading) continue;
    EXPECT_EQ(reading->physicalBytes, c.physical);
    EXPECT_EQ(reading->usedBytes, *c.used);
  }
}

}  // namespace
}  // namespace platform::darwin
