#include "network_agent/sampling/network_speed_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

using platform::InterfaceEntry;

InterfaceEntry countedEntry(const char* name, std::uint64_t received, std::uint64_t sent) {
  return InterfaceEntry{.name = name,
                        .linkLevel = true,
                        .up = true,
                        .loopback = false,
                        .hasStatistics = true,
                        .receivedBytes = received,
                        .sentBytes = sent};
}

class NetworkSpeedSamplerTest : public ::testing::Test {
 protected:
  testing::FakeClock clock;
  testing::FakeInterfaceList interfaces;
  NetworkSpeedSampler sampler{clock, interfaces};

  NetworkSnapshot sampleAt(double uptime, std::uint64_t received, std::uint64_t sent) {
    clock.uptime = uptime;
    interfaces.setTotals(received, sent);
    return sampler.sample();
  }
};

TEST_F(NetworkSpeedSamplerTest, FirstSampleReportsZeroRates) {
  const NetworkSnapshot first = sampleAt(100.0, 5'000'000, 7'000'000);
  EXPECT_EQ(first.downloadBytesPerSecond, 0.0);
  EXPECT_EQ(first.uploadBytesPerSecond, 0.0);
}

TEST_F(NetworkSpeedSamplerTest, RatesAreDeltasOverTheUptimeInterval) {
  sampleAt(100.0, 1'000, 2'000);
  const NetworkSnapshot second = sampleAt(102.0, 5'000, 2'600);
  EXPECT_DOUBLE_EQ(second.downloadBytesPerSecond, 2'000.0);
  EXPECT_DOUBLE_EQ(second.uploadBytesPerSecond, 300.0);
  const NetworkSnapshot third = sampleAt(102.5, 5'500, 2'600);
  EXPECT_DOUBLE_EQ(third.downloadBytesPerSecond, 1'000.0);
  EXPECT_DOUBLE_EQ(third.uploadBytesPerSecond, 0.0);
}

TEST_F(NetworkSpeedSamplerTest, ShortZeroAndNegativeIntervalsCountAsOneMillisecond) {
  const double secondUptimes[] = {100.0, 99.0, 100.0005};
  for (const double uptime : secondUptimes) {
    SCOPED_TRACE(uptime);
    NetworkSpeedSampler fresh{clock, interfaces};
    clock.uptime = 100.0;
    interfaces.setTotals(10, 20);
    fresh.sample();
    clock.uptime = uptime;
    interfaces.setTotals(15, 22);
    const NetworkSnapshot snapshot = fresh.sample();
    EXPECT_DOUBLE_EQ(snapshot.downloadBytesPerSecond, 5'000.0);
    EXPECT_DOUBLE_EQ(snapshot.uploadBytesPerSecond, 2'000.0);
  }
}

TEST_F(NetworkSpeedSamplerTest, ClockIsReadOncePerSampleBeforeTheInterfaceWalk) {
  class ClockCheckingList final : public platform::InterfaceList {
   public:
    explicit ClockCheckingList(testing::FakeClock& clock) : clock(clock) {}
    std::optional<std::vector<InterfaceEntry>> interfaces() override {
      readsBeforeWalk.push_back(clock.uptimeReads);
      return std::vector<InterfaceEntry>{};
    }
    testing::FakeClock& clock;
    std::vector<int> readsBeforeWalk;
  } list{clock};
  NetworkSpeedSampler ordered{clock, list};
  ordered.sample();
  ordered.sample();
  EXPECT_EQ(list.readsBeforeWalk, (std::vector<int>{1, 2}));
}

TEST_F(NetworkSpeedSamplerTest, DirectionThatWentDownGivesZeroAndBecomesTheBaseline) {
  sampleAt(10.0, 10'000, 10'000);
  const NetworkSnapshot fallen = sampleAt(11.0, 4'000, 13'000);
  EXPECT_EQ(fallen.downloadBytesPerSecond, 0.0);
  EXPECT_DOUBLE_EQ(fallen.uploadBytesPerSecond, 3'000.0);
  const NetworkSnapshot after = sampleAt(12.0, 4'500, 12'000);
  EXPECT_DOUBLE_EQ(after.downloadBytesPerSecond, 500.0);
  EXPECT_EQ(after.uploadBytesPerSecond, 0.0);
}

TEST_F(NetworkSpeedSamplerTest, FailedListReportsZeroAndKeepsTheBaseline) {
  sampleAt(10.0, 50'000, 60'000);
  clock.uptime = 11.0;
  interfaces.entries.reset();
  const NetworkSnapshot failed = sampler.sample();
  EXPECT_EQ(failed.downloadBytesPerSecond, 0.0);
  EXPECT_EQ(failed.uploadBytesPerSecond, 0.0);
  // The next good reading covers the whole time since the last good one,
  // not every byte since boot.
  const NetworkSnapshot recovered = sampleAt(13.0, 50'300, 60'600);
  EXPECT_DOUBLE_EQ(recovered.downloadBytesPerSecond, 100.0);
  EXPECT_DOUBLE_EQ(recovered.uploadBytesPerSecond, 200.0);
}

TEST_F(NetworkSpeedSamplerTest, FailedFirstReadLeavesTheSamplerEmpty) {
  clock.uptime = 5.0;
  interfaces.entries.reset();
  sampler.sample();
  EXPECT_EQ(sampleAt(6.0, 50'000, 60'000).downloadBytesPerSecond, 0.0);
  EXPECT_DOUBLE_EQ(sampleAt(7.0, 51'000, 60'000).downloadBytesPerSecond, 1'000.0);
}

TEST_F(NetworkSpeedSamplerTest, SixtyFourBitCountersAreKeptWhole) {
  const std::uint64_t high = std::uint64_t{1} << 40;
  sampleAt(1.0, high, high);
  const NetworkSnapshot snapshot = sampleAt(2.0, high + 1'234, high + 5'678);
  EXPECT_DOUBLE_EQ(snapshot.downloadBytesPerSecond, 1'234.0);
  EXPECT_DOUBLE_EQ(snapshot.uploadBytesPerSecond, 5'678.0);
}

TEST(NetworkSpeedSamplerSelectionTest, OnlyUpNonLoopbackLinkLevelEntriesWithStatisticsCount) {
  struct SelectionCase {
    const char* what;
    InterfaceEntry entry;
    bool counted;
  };
  auto with = [](auto change) {
    InterfaceEntry entry = countedEntry("en0", 1, 1);
    change(entry);
    return entry;
  };
  const SelectionCase cases[] = {
      {"up link-level entry with statistics", countedEntry("en0", 1, 1), true},
      {"virtual interface", countedEntry("utun3", 1, 1), true},
      {"empty name", countedEntry("", 1, 1), true},
      {"name containing lo later", countedEntry("vlo0", 1, 1), true},
      {"capitalised Lo prefix", countedEntry("Lo0", 1, 1), true},
      {"not link-level", with([](InterfaceEntry& e) { e.linkLevel = false; }), false},
      {"down", with([](InterfaceEntry& e) { e.up = false; }), false},
      {"loopback flag", with([](InterfaceEntry& e) { e.loopback = true; }), false},
      {"loopback flag with another name", with([](InterfaceEntry& e) {
         e.loopback = true;
         e.name = "eth0";
       }),
       false},
      {"name starts with lo without the flag", countedEntry("lo0", 1, 1), false},
      {"name is lo", countedEntry("lo", 1, 1), false},
      {"name starts with lo, longer", countedEntry("lowpan0", 1, 1), false},
      {"no name", with([](InterfaceEntry& e) { e.name.reset(); }), false},
      {"no statistics", with([](InterfaceEntry& e) { e.hasStatistics = false; }), false},
  };
  for (const SelectionCase& selection : cases) {
    EXPECT_EQ(NetworkSpeedSampler::isCounted(selection.entry), selection.counted) << selection.what;
  }
}

TEST(NetworkSpeedSamplerSelectionTest, TotalsSumOnlyCountedEntries) {
  InterfaceEntry down = countedEntry("en1", 1'000'000, 1'000'000);
  down.up = false;
  InterfaceEntry noStatistics = countedEntry("en2", 1'000'000, 1'000'000);
  noStatistics.hasStatistics = false;
  InterfaceEntry loopback = countedEntry("lo0", 1'000'000, 1'000'000);
  loopback.loopback = true;
  const std::vector<InterfaceEntry> entries = {countedEntry("en0", 100, 10), down, noStatistics,
                                               loopback, countedEntry("bridge0", 7, 3)};
  const NetworkSpeedSampler::Counters totals = NetworkSpeedSampler::countedTotals(entries);
  EXPECT_EQ(totals.receivedBytes, 107u);
  EXPECT_EQ(totals.sentBytes, 13u);
}

TEST(NetworkSpeedSamplerSelectionTest, TotalsWrapModuloTwoToTheSixtyFour) {
  const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  const std::vector<InterfaceEntry> entries = {countedEntry("en0", max, 5),
                                               countedEntry("en1", 3, 6)};
  const NetworkSpeedSampler::Counters totals = NetworkSpeedSampler::countedTotals(entries);
  EXPECT_EQ(totals.receivedBytes, 2u);
  EXPECT_EQ(totals.sentBytes, 11u);
}

}  // namespace
}  // namespace agent
