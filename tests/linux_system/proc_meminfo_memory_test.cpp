#include "platform/linux/proc_meminfo_memory.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux_system/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

// The head of /proc/meminfo as Linux 6.1 writes it.
constexpr const char* kRecorded =
    "MemTotal:       16318412 kB\n"
    "MemFree:          812344 kB\n"
    "MemAvailable:    9876540 kB\n"
    "Buffers:          402112 kB\n"
    "Cached:          8123456 kB\n"
    "HugePages_Total:       0\n"
    "Hugepagesize:       2048 kB\n";

TEST(ParseProcMeminfoTest, UsedIsTotalLessAvailableInBytes) {
  const auto reading = parseProcMeminfo(kRecorded);
  ASSERT_TRUE(reading.has_value());
  EXPECT_EQ(reading->physicalBytes, 16318412ull * 1024);
  EXPECT_EQ(reading->usedBytes, (16318412ull - 9876540ull) * 1024);
}

TEST(ParseProcMeminfoTest, EdgeCases) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> expected;
  };
  for (const Case& c : {
           Case{"available above total", "MemTotal: 100 kB\nMemAvailable: 150 kB\n",
                std::pair<std::uint64_t, std::uint64_t>{102400, 0}},
           Case{"all available", "MemTotal: 100 kB\nMemAvailable: 100 kB\n",
                std::pair<std::uint64_t, std::uint64_t>{102400, 0}},
           Case{"order and tabs", "MemAvailable:\t1 kB\nMemTotal:\t3 kB",
                std::pair<std::uint64_t, std::uint64_t>{3072, 2048}},
           Case{"first line of a key counts", "MemTotal: 4 kB\nMemAvailable: 1 kB\nMemTotal: x\n",
                std::pair<std::uint64_t, std::uint64_t>{4096, 3072}},
           Case{"largest that fits", "MemTotal: 18014398509481983 kB\nMemAvailable: 0 kB\n",
                std::pair<std::uint64_t, std::uint64_t>{18014398509481983ull * 1024,
                                                        18014398509481983ull * 1024}},
           Case{"bytes beyond 64 bits", "MemTotal: 18014398509481984 kB\nMemAvailable: 0 kB\n",
                std::nullopt},
           Case{"MemAvailable missing (before Linux 3.14)", "MemTotal: 100 kB\nMemFree: 5 kB\n",
                std::nullopt},
           Case{"MemTotal missing", "MemAvailable: 5 kB\n", std::nullopt},
           Case{"total zero", "MemTotal: 0 kB\nMemAvailable: 0 kB\n", std::nullopt},
           Case{"no unit", "MemTotal: 100\nMemAvailable: 5 kB\n", std::nullopt},
           Case{"other unit", "MemTotal: 100 MB\nMemAvailable: 5 kB\n", std::nullopt},
           Case{"negative", "MemTotal: 100 kB\nMemAvailable: -5 kB\n", std::nullopt},
           Case{"garbage", "\x01\x02 nothing here", std::nullopt},
           Case{"empty", "", std::nullopt},
       }) {
    const auto reading = parseProcMeminfo(c.text);
    ASSERT_EQ(reading.has_value(), c.expected.has_value()) << c.name;
    if (!reading) continue;
    EXPECT_EQ(reading->physicalBytes, c.expected->first) << c.name;
    EXPECT_EQ(reading->usedBytes, c.expected->second) << c.name;
  }
}

TEST(ProcMeminfoMemoryTest, ReadsAnInjectedFileAndNothingFromAMissingOne) {
  testing::TempDir folder;
  std::ofstream(folder.path() / "meminfo") << kRecorded;
  const auto reading = ProcMeminfoMemory((folder.path() / "meminfo").string()).memory();
  ASSERT_TRUE(reading.has_value());
  EXPECT_EQ(reading->physicalBytes, 16318412ull * 1024);
  EXPECT_EQ(ProcMeminfoMemory((folder.path() / "absent").string()).memory(), std::nullopt);
}

TEST(ProcMeminfoMemoryTest, ThisMachineHasMemoryAndUsesNoMoreThanIt) {
  const auto reading = ProcMeminfoMemory().memory();
  ASSERT_TRUE(reading.has_value());
  EXPECT_GT(reading->physicalBytes, 0u);
  EXPECT_LE(reading->usedBytes, reading->physicalBytes);
}

}  // namespace
}  // namespace platform::linuxdesktop
