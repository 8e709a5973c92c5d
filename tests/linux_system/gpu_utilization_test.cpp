#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fake/fake_run_loop.h"
#include "platform/linux/background_gpu_utilization.h"
#include "platform/linux/linux_gpu_utilization.h"
#include "tests/support/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // path under the drm folder, contents

std::string busy(const std::string& card) { return card + "/device/gpu_busy_percent"; }

class LinuxGpuUtilizationTest : public ::testing::Test {
 protected:
  void write(const Files& files) {
    fs::remove_all(drm);
    for (const auto& [path, contents] : files) {
      fs::create_directories((drm / path).parent_path());
      std::ofstream(drm / path) << contents;
    }
  }

  test_support::TempDir folder;
  fs::path drm = folder.path() / "drm";
};

// One card's file alone (a figure above 100, a sign, a suspended card) is
// sysfs_gpu_fuzz's, against its own reading of the kernel's format.
TEST_F(LinuxGpuUtilizationTest, SysfsGivesTheBusiestCard) {
  const std::string suspended = "card0/device/power/runtime_status";
  for (const auto& [files, expected] :
       std::initializer_list<std::pair<Files, std::optional<std::int64_t>>>{
           {{{busy("card1"), "10\n"}, {busy("card0"), "20\n"}}, 20},
           {{{busy("card10"), "7\n"}, {busy("card2"), "5"}}, 7},
           {{{busy("card0-DP-1"), "99\n"}, {busy("card1"), "3\n"}}, 3},
           {{{busy("card0"), "busy\n"}, {busy("card1"), "42\n"}}, 42},
           // Reading a runtime-suspended card's file would wake it.
           {{{suspended, "suspended\n"}, {busy("card0"), "61\n"}, {busy("card1"), "30\n"}}, 30},
           {{{busy("card0"), "99999999999999999999\n"}, {busy("card1"), "3\n"}}, 100},
           {{}, std::nullopt}}) {
    write(files);
    EXPECT_EQ(LinuxGpuUtilization(drm, folder.path() / "absent.so").readDeviceUtilization(),
              expected)
        << ::testing::PrintToString(files);
  }
}

TEST_F(LinuxGpuUtilizationTest, NvmlAnswersOnlyWhenSysfsCannotAndIsRetriedAfterTheBackOff) {
  // Held open by the test, so that the stand-in's globals are the ones the
  // reader's own dlopen sees.
  const std::unique_ptr<void, int (*)(void*)> fake{dlopen(STANDIN_NVML_PATH, RTLD_NOW), dlclose};
  ASSERT_NE(fake, nullptr);
  const auto global = [&](const char* name) -> int& {
    return *static_cast<int*>(dlsym(fake.get(), name));
  };
  int& initCalls = global("standin_nvml_init_calls");
  int& shutdownCalls = global("standin_nvml_shutdown_calls");
  int& gpu = global("standin_nvml_gpu");
  initCalls = shutdownCalls = 0;
  global("standin_nvml_init_result") = 9;
  {
    LinuxGpuUtilization source(drm, STANDIN_NVML_PATH);
    write({{busy("card0"), "55\n"}, {"card1/device/vendor", "0x8086\n"}});
    EXPECT_TRUE(source.readCallsDriver());
    EXPECT_EQ(source.readDeviceUtilization(), 55);
    EXPECT_EQ(initCalls, 0);
    // Between two tries at NVML a read would call no driver: it is skipped,
    // and counts toward the back-off.
    write({{"card1/device/vendor", "0x8086\n"}});
    EXPECT_TRUE(source.readCallsDriver());
    EXPECT_EQ(source.readDeviceUtilization(), std::nullopt);
    for (int call = 1; call <= LinuxGpuUtilization::kNvmlRetryCalls; ++call) {
      EXPECT_FALSE(source.readCallsDriver()) << call;
    }
    EXPECT_EQ(initCalls, 1);
    global("standin_nvml_init_result") = 0;
    gpu = 250;
    EXPECT_TRUE(source.readCallsDriver());
    EXPECT_EQ(source.readDeviceUtilization(), 100);
    EXPECT_TRUE(source.readCallsDriver()) << "NVML loaded";
    gpu = 37;
    EXPECT_EQ(source.readDeviceUtilization(), 37);
    EXPECT_EQ(initCalls, 2);
    EXPECT_EQ(shutdownCalls, 0);
  }
  EXPECT_EQ(shutdownCalls, 1);
}

using Stopwatch = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A source that calls a driver while `callsDriver` says so and records the
// threads its reads ran on. A held one's reads wait until the test lets one
// through, as a driver in trouble holds its callers, and then give the figure
// it set; any other's give 1, 2, 3... at once.
class StandInSource final : public BackgroundGpuUtilization::Source {
 public:
  explicit StandInSource(bool held) : held(held) {}
  bool readCallsDriver() override { return callsDriver; }
  std::optional<std::int64_t> readDeviceUtilization() override {
    std::unique_lock lock(mutex);
    opened.wait(lock, [&] { return !held || passes > 0; });
    --passes;
    readOn.push_back(std::this_thread::get_id());
    return held ? answer : static_cast<std::int64_t>(readOn.size());
  }
  void letOneThrough(std::int64_t percent) {
    {
      const std::lock_guard lock(mutex);
      ++passes;
      answer = percent;
    }
    opened.notify_all();
  }
  std::vector<std::thread::id> threads() {
    const std::lock_guard lock(mutex);
    return readOn;
  }

  bool callsDriver = true;

 private:
  const bool held;
  std::mutex mutex;
  std::condition_variable opened;
  int passes = 0;
  std::optional<std::int64_t> answer;
  std::vector<std::thread::id> readOn;
};

// Asks until the reading gives the figure, for at most five seconds.
bool eventuallyReads(BackgroundGpuUtilization& reading, std::int64_t percent) {
  const auto deadline = Stopwatch::now() + 5s;
  while (Stopwatch::now() < deadline) {
    if (reading.readDeviceUtilization() == percent) return true;
  }
  return false;
}

// Every read after the one let through is held: the one asked for next is
// the one in progress.
TEST(BackgroundGpuUtilizationTest, AHeldReadShowsTheLastFigureUntilStaleThenRecoversAndEndsFree) {
  platform::fake::FakeClock clock;
  auto owned = std::make_unique<StandInSource>(true);
  StandInSource& source = *owned;
  auto reading = std::make_unique<BackgroundGpuUtilization>(std::move(owned), clock);
  const double limit = std::chrono::duration<double>(platform::kGpuReadTimeLimit).count();

  source.letOneThrough(40);
  ASSERT_TRUE(eventuallyReads(*reading, 40));
  EXPECT_EQ(reading->readDeviceUtilization(), 40) << "a young read shows the last figure";
  clock.now += limit - 0.1;
  EXPECT_EQ(reading->readDeviceUtilization(), 40);
  clock.now += 0.2;
  EXPECT_EQ(reading->readDeviceUtilization(), std::nullopt) << "stale past the time limit";
  source.letOneThrough(55);
  EXPECT_TRUE(eventuallyReads(*reading, 55)) << "the reading recovers with the source";

  // The next read never returns, and does not hold up the end.
  clock.now += 3.0;
  reading->readDeviceUtilization();
  const auto start = Stopwatch::now();
  reading.reset();
  EXPECT_LT(Stopwatch::now() - start, 1s);
}

// Each figure of a prompt source shows on the read that asked for it.
TEST(BackgroundGpuUtilizationTest, AReadCallingNoDriverIsSkippedAndAnyOtherRunsOnTheHelper) {
  platform::fake::FakeClock clock;
  auto owned = std::make_unique<StandInSource>(false);
  StandInSource& source = *owned;
  source.callsDriver = false;
  BackgroundGpuUtilization reading{std::move(owned), clock};
  EXPECT_EQ(reading.readDeviceUtilization(), std::nullopt);
  EXPECT_TRUE(source.threads().empty()) << "no read, no helper";
  source.callsDriver = true;
  for (std::int64_t figure = 1; figure <= 3; ++figure) {
    EXPECT_EQ(reading.readDeviceUtilization(), figure);
  }
  for (const std::thread::id thread : source.threads())
    EXPECT_NE(thread, std::this_thread::get_id());
}

}  // namespace
}  // namespace platform::linuxdesktop
