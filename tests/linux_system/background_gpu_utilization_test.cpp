#include "platform/linux/background_gpu_utilization.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fake/fake_run_loop.h"

namespace platform::linuxdesktop {
namespace {

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
