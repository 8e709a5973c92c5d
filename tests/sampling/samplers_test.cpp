#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include "network_agent/sampling/cpu_usage_sampler.h"
#include "network_agent/sampling/gpu_usage_sampler.h"
#include "network_agent/sampling/memory_usage_sampler.h"
#include "network_agent/sampling/network_speed_sampler.h"
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

using platform::InterfaceEntry;

// An up, link-level entry with counters.
InterfaceEntry counted(const char* name, std::uint64_t received = 1, std::uint64_t sent = 1,
                       platform::CounterWidth width = platform::CounterWidth::bits64) {
  InterfaceEntry entry{.name = name, .linkLevel = true, .up = true, .hasStatistics = true};
  entry.receivedBytes = received;
  entry.sentBytes = sent;
  entry.counterWidth = width;
  return entry;
}

// Notes how many times the clock had been read at the latest walk.
struct WatchedInterfaceList final : platform::fake::FakeInterfaceList {
  explicit WatchedInterfaceList(platform::fake::FakeClock& clock) : clock(clock) {}
  std::optional<std::vector<InterfaceEntry>> interfaces() override {
    uptimeReadsAtWalk = clock.uptimeReads;
    return FakeInterfaceList::interfaces();
  }
  platform::fake::FakeClock& clock;
  int uptimeReadsAtWalk = 0;
};

TEST(NetworkSpeedSamplerTest, RatesAreCounterGrowthsOverTheUptimeSinceTheLastGoodSample) {
  // 64-bit counters start high so that a counter cut to 32 bits would show.
  constexpr std::uint64_t kBase = std::uint64_t{1} << 40;
  const auto en0 = [&](std::uint64_t received, std::uint64_t sent) {
    return counted("en0", kBase + received, kBase + sent);
  };
  const auto utun0 = [](std::uint64_t received, std::uint64_t sent) {
    return counted("utun0", received, sent, platform::CounterWidth::bits32);
  };
  const struct {
    const char* what;
    double uptime;
    std::optional<std::vector<InterfaceEntry>> entries;  // none: the list cannot be read
    double download;
    double upload;
  } steps[] = {
      {"failed first read", 9.0, std::nullopt, 0, 0},
      {"first reading is only the baseline", 10.0, {{en0(1'000, 2'000)}}, 0, 0},
      {"deltas over two seconds", 12.0, {{en0(5'000, 2'600)}}, 2'000, 300},
      {"download went down", 13.0, {{en0(4'000, 3'600)}}, 0, 1'000},
      {"lower download is the baseline", 15.0, {{en0(5'000, 3'000)}}, 500, 0},
      {"failed read", 16.0, std::nullopt, 0, 0},
      {"since the last good reading", 19.0, {{en0(5'300, 3'600)}}, 75, 150},
      {"a new interface", 20.0, {{en0(5'400, 3'700), utun0(0xFFFF'F000, 0x10)}}, 100, 100},
      {"a wrapped 32-bit counter", 21.0, {{en0(5'400, 3'700), utun0(0x1000, 0x20)}}, 8'192, 16},
      {"a 32-bit counter reset", 22.0, {{en0(5'500, 3'700), utun0(0x800, 0x20)}}, 100, 0},
      {"an interface gone adds nothing", 23.0, {{utun0(0x900, 0x30)}}, 256, 16},
      // Under a millisecond, exact in binary.
      {"a short interval counts as 1 ms", 23.0 + 1.0 / 2048, {{utun0(0x905, 0x32)}}, 5'000, 2'000},
  };
  platform::fake::FakeClock clock;
  WatchedInterfaceList interfaces{clock};
  NetworkSpeedSampler sampler{clock, interfaces};
  int samples = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    clock.now = step.uptime;
    interfaces.reading = step.entries;
    const NetworkSnapshot snapshot = sampler.sample();
    EXPECT_DOUBLE_EQ(snapshot.downloadBytesPerSecond, step.download);
    EXPECT_DOUBLE_EQ(snapshot.uploadBytesPerSecond, step.upload);
    EXPECT_EQ(interfaces.uptimeReadsAtWalk, ++samples) << "the clock is read once, before the walk";
  }
}

TEST(NetworkSpeedSamplerSelectionTest, OnlyUpNonLoopbackLinkLevelEntriesWithStatisticsCount) {
  auto with = [](auto change) {
    InterfaceEntry entry = counted("en0");
    change(entry);
    return entry;
  };
  const struct {
    const char* what;
    InterfaceEntry entry;
    bool counted;
  } cases[] = {
      {"empty name", counted(""), true},
      {"lo later in the name", counted("vlo0"), true},
      {"capitalised Lo prefix", counted("Lo0"), true},
      {"not link-level", with([](InterfaceEntry& e) { e.linkLevel = false; }), false},
      {"down", with([](InterfaceEntry& e) { e.up = false; }), false},
      {"loopback flag", with([](InterfaceEntry& e) { e.loopback = true; }), false},
      {"name starts with lo", counted("lo0"), false},
      {"no name", with([](InterfaceEntry& e) { e.name.reset(); }), false},
      {"no statistics", with([](InterfaceEntry& e) { e.hasStatistics = false; }), false},
  };
  for (const auto& selection : cases) {
    EXPECT_EQ(NetworkSpeedSampler::isCounted(selection.entry), selection.counted) << selection.what;
  }
}

}  // namespace
}  // namespace agent
