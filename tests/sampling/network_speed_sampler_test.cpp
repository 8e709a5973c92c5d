#include "network_agent/sampling/network_speed_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/fake/fake_run_loop.h"
#include "platform/fake/fake_services.h"

namespace agent {
namespace {

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
  std::vector<InterfaceEntry> entries;
  std::uint64_t countedReceived = 0;
  for (const auto& selection : cases) {
    EXPECT_EQ(NetworkSpeedSampler::isCounted(selection.entry), selection.counted) << selection.what;
    // Each entry brings its own bit, so the total shows which ones were summed.
    entries.push_back(selection.entry);
    entries.back().receivedBytes = std::uint64_t{1} << entries.size();
    if (selection.counted) countedReceived += entries.back().receivedBytes;
  }
  EXPECT_EQ(NetworkSpeedSampler::countedTotals(entries).receivedBytes, countedReceived);
}

}  // namespace
}  // namespace agent
