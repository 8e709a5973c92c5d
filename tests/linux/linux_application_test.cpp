#include "platform/linux/linux_application.h"

#include <csignal>
#include <memory>

#include <gtest/gtest.h>

#include "platform/linux/glib_run_loop.h"
#include "tests/linux/test_bus.h"

namespace platform::linuxdesktop::testing {
namespace {

// Counts terminations. Once launched it raises the signal, or with 0 calls
// terminate twice.
class RecordingDelegate : public platform::ApplicationDelegate {
 public:
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

 private:
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

TEST(GLibRunLoopTest, RepeatingTimerFiresUntilInvalidatedAndThenReleasesItsCallback) {
  GLibRunLoop loop;
  auto count = std::make_shared<int>(0);
  const auto timer = loop.scheduleRepeatingTimer(0.005, [count] { ++*count; });
  ASSERT_TRUE(spinUntil([&] { return *count >= 3; }));
  EXPECT_TRUE(timer->isValid());
  timer->invalidate();
  const int stopped = *count;
  spinUntil([] { return false; }, 50ms);
  EXPECT_EQ(*count, stopped);
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(count.use_count(), 1);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
