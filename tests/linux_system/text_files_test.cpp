#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "platform/fake/fake_services.h"
#include "platform/linux/key_file_user_defaults.h"
#include "platform/linux/key_file_user_defaults_store.h"
#include "platform/linux/proc_file.h"
#include "platform/linux/proc_meminfo_memory.h"
#include "platform/linux/proc_stat_cpu_ticks.h"
#include "tests/support/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;
using Variables = std::map<std::string, std::string>;

// Writes the file with a fixed modification time whose nanosecond part is
// given, so that same-size rewrites can be told apart (or not).
void writeFile(const fs::path& path, const std::string& contents, long nanoseconds = 100) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
  const timespec times[2] = {{1700000000, nanoseconds}, {1700000000, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class TextFileTest : public ::testing::Test {
 protected:
  test_support::TempDir folder;
  fs::path file = folder.path() / "defaults.conf";
  std::string home = folder.path() / "home";
  platform::fake::CallLog log;
  platform::fake::FakeEnvironment environment{log};
  KeyFileUserDefaultsStore store{environment};
};

// Which values read as true and which files hold nothing (another group, a
// broken one, bytes that are no text) is key_file_fuzz's: its seeds hold
// those cases, and it checks every file against GLib's own reading. Hostile
// files (FIFO, device, folder, too large, unreadable) are UserFilesTest's
// rows, for this reader and the shape file's.
TEST_F(TextFileTest, KeyFileFollowsTheFileAsItAppearsIsRewrittenReplacedAndRemoved) {
  KeyFileUserDefaults defaults(file);
  EXPECT_FALSE(defaults.hasObject("shown"));
  writeFile(file, "[Defaults]\nshown=\\s1\nempty=\n");
  defaults.synchronize();
  EXPECT_TRUE(defaults.boolForKey("shown"));
  EXPECT_TRUE(defaults.hasObject("empty"));
  EXPECT_FALSE(defaults.boolForKey("empty"));
  // Same inode, size and modification time: the status-change time tells.
  writeFile(file, "[Defaults]\nshown=\\s0\nempty=\n");
  defaults.synchronize();
  EXPECT_FALSE(defaults.boolForKey("shown"));
  // A rename brings a new inode.
  writeFile(folder.path() / "new", "[Defaults]\nshown=1\n", 200);
  fs::rename(folder.path() / "new", file);
  defaults.synchronize();
  EXPECT_TRUE(defaults.boolForKey("shown"));
  fs::remove(file);
  defaults.synchronize();
  EXPECT_FALSE(defaults.hasObject("shown"));
}

TEST_F(TextFileTest, KeyFileSuiteLivesUnderAbsoluteXdgConfigHomeElseHomeConfig) {
  const std::string underHome = home + "/.config/app/defaults.conf";
  for (const auto& [variables, expected] :
       std::initializer_list<std::pair<Variables, std::optional<std::string>>>{
           {{{"XDG_CONFIG_HOME", "/xdg"}, {"HOME", home}}, "/xdg/app/defaults.conf"},
           {{{"XDG_CONFIG_HOME", ""}, {"HOME", home}}, underHome},
           {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", home}}, underHome},
           {{{"HOME", ""}}, std::nullopt},
           {{}, std::nullopt}}) {
    environment.variables = variables;
    EXPECT_EQ(store.suitePath("app"), expected);
    EXPECT_EQ(store.openSuite("app") != nullptr, expected.has_value());
  }
}

using Ticks = std::optional<std::array<std::uint64_t, 4>>;             // user, nice, system, idle
using Bytes = std::optional<std::pair<std::uint64_t, std::uint64_t>>;  // physical, used

Ticks folded(const std::optional<platform::CpuTicksReading>& reading) {
  if (!reading) return std::nullopt;
  return std::array{reading->user, reading->nice, reading->system, reading->idle};
}

Bytes folded(const std::optional<platform::MemoryReading>& reading) {
  if (!reading) return std::nullopt;
  return std::pair(reading->physicalBytes, reading->usedBytes);
}

// Recorded on a 4-core machine running Linux 6.1 (columns: user nice system
// idle iowait irq softirq steal guest guest_nice).
constexpr const char* kRecordedStat =
    "cpu  2415853 1377 664392 58419720 50611 0 41234 17 103 0\n"
    "cpu0 605273 355 168412 14597216 12874 0 21519 4 26 0\n"
    "intr 155362043 8 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0\nbtime 1716189054\n";

TEST(ParseProcStatTest, FoldsTheKernelColumnsIntoFourCounters) {
  const std::string max = "18446744073709551615";
  for (const auto& [text, expected] : std::initializer_list<std::pair<std::string, Ticks>>{
           {kRecordedStat,
            std::array<std::uint64_t, 4>{2415853, 1377, 664392 + 41234 + 17, 58419720 + 50611}},
           {"btime 5\ncpu\t10\t2 5 100 ", std::array<std::uint64_t, 4>{10, 2, 5, 100}},
           {"cpu 1 2 3 4 5 6 7 8 x y\n", std::array<std::uint64_t, 4>{1, 2, 3 + 6 + 7 + 8, 9}},
           {"cpu " + max + " 0 0 0\n", std::array<std::uint64_t, 4>{UINT64_MAX, 0, 0, 0}},
           {"cpu 1 2 3\n", std::nullopt},
           {"cpu0 1 2 3 4\n", std::nullopt},
           {"cpu 1 -2 3 4\n", std::nullopt},
           {"cpu 18446744073709551616 0 0 0\n", std::nullopt},
           {"cpu 0 0 " + max + " 0 0 1\n", std::nullopt},
           {"cpu 0 0 0 " + max + " 1\n", std::nullopt},
           {"cpu " + max + " 1 0 0\n", std::nullopt}}) {
    EXPECT_EQ(folded(parseProcStat(text)), expected) << text;
  }
}

TEST(ParseProcMeminfoTest, UsedIsTotalLessAvailableInBytes) {
  constexpr std::uint64_t kLargest = 18014398509481983ull;  // kB whose bytes fit 64 bits
  for (const auto& [text, expected] : std::initializer_list<std::pair<std::string, Bytes>>{
           // The head of /proc/meminfo as Linux 6.1 writes it.
           {"MemTotal:       16318412 kB\nMemFree:          812344 kB\n"
            "MemAvailable:    9876540 kB\nBuffers:          402112 kB\n"
            "HugePages_Total:       0\nHugepagesize:       2048 kB\n",
            std::pair(16318412ull * 1024, (16318412ull - 9876540ull) * 1024)},
           {"MemAvailable:\t1 kB\nMemTotal:\t3 kB", std::pair(3072ull, 2048ull)},
           {"MemTotal: 100 kB\nMemAvailable: 150 kB\n", std::pair(102400ull, 0ull)},
           {"MemTotal: " + std::to_string(kLargest) + " kB\nMemAvailable: 0 kB\n",
            std::pair(kLargest * 1024, kLargest * 1024)},
           {"MemTotal: " + std::to_string(kLargest + 1) + " kB\nMemAvailable: 0 kB\n",
            std::nullopt},
           {"MemTotal: 100 kB\nMemFree: 5 kB\n", std::nullopt},
           {"MemAvailable: 5 kB\n", std::nullopt},
           {"MemTotal: 0 kB\nMemAvailable: 0 kB\n", std::nullopt},
           {"MemTotal: 100 MB\nMemAvailable: 5 kB\n", std::nullopt}}) {
    EXPECT_EQ(folded(parseProcMeminfo(text)), expected) << text;
  }
}

// The real files, at their usual paths. What a reading holds is the parsers'
// rows above.
TEST(ProcReadersTest, ThisMachineReadsAndMissingFilesReadNothing) {
  EXPECT_TRUE(ProcStatCpuTicks().ticks().has_value());
  EXPECT_TRUE(ProcMeminfoMemory().memory().has_value());
  EXPECT_EQ(ProcStatCpuTicks("/proc/absent").ticks(), std::nullopt);
  EXPECT_EQ(ProcMeminfoMemory("/proc/absent").memory(), std::nullopt);
}

// A file opened for each read and one kept open read the same, each time the
// text as it is then.
TEST_F(TextFileTest, ReadFileHeadKeepsWholeLinesOfALongerFileAndAllOfOneThatFits) {
  KernelTextFile kept(file);
  for (const auto& [contents, expected] :
       std::initializer_list<std::pair<std::string, std::optional<std::string_view>>>{
           {"1234\n567", "1234\n567"},  // exactly the buffer's length, unterminated
           {"12345678", "12345678"},
           {"1234\n5678", "1234\n"},
           {"123456789", std::nullopt},
           {"", ""}}) {
    std::ofstream(file, std::ios::trunc) << contents;
    std::array<char, 8> buffer{};
    EXPECT_EQ(readFileHead(file.c_str(), buffer), expected) << contents;
    EXPECT_EQ(kept.readHead(buffer), expected) << contents;
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
