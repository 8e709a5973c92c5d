#include "platform/linux/proc_stat_cpu_ticks.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux_system/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

// Recorded on a 4-core machine running Linux 6.1 (columns: user nice system
// idle iowait irq softirq steal guest guest_nice).
constexpr const char* kRecorded =
    "cpu  2415853 1377 664392 58419720 50611 0 41234 17 103 0\n"
    "cpu0 605273 355 168412 14597216 12874 0 21519 4 26 0\n"
    "cpu1 600947 326 165081 14611030 12553 0 6702 4 25 0\n"
    "intr 155362043 8 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n"
    "ctxt 325829174\nbtime 1716189054\nprocesses 1190402\n";

bool operator==(const platform::CpuTicksReading& a, const platform::CpuTicksReading& b) {
  return a.user == b.user && a.system == b.system && a.idle == b.idle && a.nice == b.nice;
}

TEST(ParseProcStatTest, FoldsTheKernelColumnsIntoFourCounters) {
  const auto reading = parseProcStat(kRecorded);
  ASSERT_TRUE(reading.has_value());
  EXPECT_EQ(reading->user, 2415853u);
  EXPECT_EQ(reading->nice, 1377u);
  EXPECT_EQ(reading->system, 664392u + 0u + 41234u + 17u);
  EXPECT_EQ(reading->idle, 58419720u + 50611u);
}

TEST(ParseProcStatTest, EdgeCases) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<platform::CpuTicksReading> expected;
  };
  const std::uint64_t max = UINT64_MAX;
  for (const Case& c : {
           Case{"four columns (old kernel)", "cpu 10 2 5 100\n",
                platform::CpuTicksReading{10, 5, 100, 2}},
           Case{"seven columns", "cpu 10 2 5 100 4 1 3\n",
                platform::CpuTicksReading{10, 9, 104, 2}},
           Case{"tabs, no final newline", "cpu\t10\t2 5 100 ",
                platform::CpuTicksReading{10, 5, 100, 2}},
           Case{"aggregate line not first", "btime 5\ncpu 1 2 3 4\n",
                platform::CpuTicksReading{1, 3, 4, 2}},
           Case{"guest columns ignored even if odd", "cpu 1 2 3 4 5 6 7 8 x y\n",
                platform::CpuTicksReading{1, 3 + 6 + 7 + 8, 4 + 5, 2}},
           Case{"largest counter", "cpu 18446744073709551615 0 0 0\n",
                platform::CpuTicksReading{max, 0, 0, 0}},
           Case{"three columns", "cpu 1 2 3\n", std::nullopt},
           Case{"per-CPU lines only", "cpu0 1 2 3 4\ncpu1 1 2 3 4\n", std::nullopt},
           Case{"no cpu line", "intr 1 2 3\n", std::nullopt},
           Case{"empty", "", std::nullopt},
           Case{"letters", "cpu 1 2 x 4\n", std::nullopt},
           Case{"negative", "cpu 1 -2 3 4\n", std::nullopt},
           Case{"decimal point", "cpu 1 2.5 3 4\n", std::nullopt},
           Case{"counter beyond 64 bits", "cpu 18446744073709551616 0 0 0\n", std::nullopt},
           Case{"system sum wraps", "cpu 0 0 18446744073709551615 0 0 1 0 0\n", std::nullopt},
           Case{"idle sum wraps", "cpu 0 0 0 18446744073709551615 1\n", std::nullopt},
           Case{"total wraps", "cpu 18446744073709551615 1 0 0\n", std::nullopt},
       }) {
    const auto reading = parseProcStat(c.text);
    EXPECT_EQ(reading.has_value(), c.expected.has_value()) << c.name;
    if (reading && c.expected) {
      EXPECT_TRUE(*reading == *c.expected) << c.name;
    }
  }
}

TEST(ProcStatCpuTicksTest, ReadsTheAggregateLineOfALongFile) {
  testing::TempDir folder;
  const auto file = folder.path() / "stat";
  // Many CPUs and a long interrupt line: more than the reader's buffer.
  std::string contents = kRecorded;
  for (int cpu = 0; cpu < 200; ++cpu)
    contents += "cpu" + std::to_string(cpu) + " 1 2 3 4 5 6 7 8 0 0\n";
  std::ofstream(file) << contents;
  const auto reading = ProcStatCpuTicks(file.string()).ticks();
  ASSERT_TRUE(reading.has_value());
  EXPECT_EQ(reading->user, 2415853u);
  EXPECT_EQ(ProcStatCpuTicks((folder.path() / "absent").string()).ticks(), std::nullopt);
}

TEST(ProcStatCpuTicksTest, ThisMachineGivesNonZeroCountersWhoseBusyTimeNeverFalls) {
  ProcStatCpuTicks source;
  const auto first = source.ticks();
  ASSERT_TRUE(first.has_value());
  EXPECT_GT(first->user + first->system + first->nice + first->idle, 0u);
  const auto second = source.ticks();
  ASSERT_TRUE(second.has_value());
  EXPECT_GE(second->user + second->system + second->nice,
            first->user + first->system + first->nice);
}

}  // namespace
}  // namespace platform::linuxdesktop
