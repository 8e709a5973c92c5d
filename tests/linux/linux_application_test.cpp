#include "platform/linux/linux_application.h"

#include <csignal>
#include <memory>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/glib_run_loop.h"
#include "tests/support/gdbus.h"

namespace platform::linuxdesktop::testing {
namespace {

using namespace test_support;
using ::testing::IsSupersetOf;

// Counts terminations. Once launched it raises the signal, or with 0 calls
// terminate twice.
struct RecordingDelegate : platform::ApplicationDelegate {
  RecordingDelegate(platform::Application& app, int signal) : app(app), signal(signal) {}
  void applicationDidFinishLaunching() override {
    if (signal != 0) {
      std::raise(signal);
      return;
    }
    app.terminate();
    app.terminate();
  }
  void applicationWillTerminate() override { ++terminating; }

  int terminating = 0;
  platform::Application& app;
  int signal = 0;
};

TEST(LinuxApplicationTest, TerminateAndTerminationSignalsRunWillTerminateOnceAndRunReturnsZero) {
  for (const int signal : {0, SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    CurrentEvent events;
    LinuxApplication app{nullptr, events};
    const auto delegate = std::make_shared<RecordingDelegate>(app, signal);
    app.setDelegate(delegate);
    GLibRunLoop loop;
    bool limitReached = false;
    const auto limit = loop.scheduleRepeatingTimer(5.0, [&] {
      limitReached = true;
      app.terminate();
    });
    EXPECT_EQ(app.run(), 0);
    EXPECT_FALSE(limitReached);
    limit->invalidate();
    app.terminate();
    EXPECT_EQ(delegate->terminating, 1);
  }
}

// The refresh every second and the watchdog every two, scaled down: ticks
// keep to their grid, so every tick of the slower timer comes in the same
// main-loop turn (the same loop time) as one of the faster, and neither
// comes sooner than its interval after the start, even when the second was
// started a few milliseconds after the first. Each next tick is due a whole
// number of intervals after the first, however late a tick ran. Invalidated,
// a timer ticks no more and lets its callback go.
TEST(GLibRunLoopTest, TimersStartedTogetherTickInTheSameTurnAndNeverEarly) {
  GLibRunLoop loop;
  std::vector<gint64> fast;
  std::vector<gint64> slow;
  std::vector<gint64> due;
  const auto turnTime = [] { return g_source_get_time(g_main_current_source()); };
  const gint64 start = g_get_monotonic_time();
  const auto held = std::make_shared<int>();
  const auto fastTimer = loop.scheduleRepeatingTimer(0.02, [&, held] {
    fast.push_back(turnTime());
    due.push_back(g_source_get_ready_time(g_main_current_source()));
  });
  g_usleep(3000);
  const auto slowTimer = loop.scheduleRepeatingTimer(0.04, [&] { slow.push_back(turnTime()); });
  ASSERT_TRUE(spinUntil([&] { return slow.size() >= 10; }));
  EXPECT_TRUE(fastTimer->isValid());
  fastTimer->invalidate();
  slowTimer->invalidate();
  const std::size_t ticks = fast.size();
  spinUntil([] { return false; }, 50ms);
  EXPECT_EQ(fast.size(), ticks);
  EXPECT_FALSE(fastTimer->isValid());
  EXPECT_EQ(held.use_count(), 1);
  EXPECT_THAT(fast, IsSupersetOf(slow));
  for (std::size_t n = 0; n < slow.size(); ++n) {
    EXPECT_GE(slow[n] - start, static_cast<gint64>(n + 1) * 40'000) << n;
  }
  EXPECT_GE(fast.front() - start, 20'000);
  for (const gint64 tick : due) EXPECT_EQ((tick - due.front()) % 20'000, 0) << tick - start;
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
