#include "platform/linux/linux_application.h"

#include <csignal>
#include <memory>

#include <gtest/gtest.h>

#include "platform/linux/glib_run_loop.h"
#include "tests/linux/main_loop.h"

namespace platform::linuxdesktop {
namespace {

using testing::spinFor;
using testing::spinUntil;
using namespace std::chrono_literals;

// Counts the callbacks and runs a step from inside applicationDidFinishLaunching.
class RecordingDelegate : public platform::ApplicationDelegate {
 public:
  explicit RecordingDelegate(std::function<void()> onLaunch) : onLaunch(std::move(onLaunch)) {}
  void applicationDidFinishLaunching() override {
    ++launched;
    onLaunch();
  }
  void applicationWillTerminate() override { ++terminating; }

  int launched = 0;
  int terminating = 0;

 private:
  std::function<void()> onLaunch;
};

// Runs the application with a hard limit: a loop still running after it is
// terminated and the test fails.
int runWithLimit(LinuxApplication& app, bool& timedOut) {
  GLibRunLoop loop;
  const auto guard = loop.scheduleRepeatingTimer(5.0, [&] {
    timedOut = true;
    app.terminate();
  });
  const int status = app.run();
  guard->invalidate();
  return status;
}

TEST(LinuxApplicationTest, TerminateRunsWillTerminateOnceAndRunReturnsZero) {
  CurrentEvent events;
  const GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  LinuxApplication app{bus.get(), events};
  auto delegate = std::make_shared<RecordingDelegate>([&] {
    app.terminate();
    app.terminate();
  });
  app.setDelegate(delegate);
  bool timedOut = false;
  EXPECT_EQ(runWithLimit(app, timedOut), 0);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(delegate->launched, 1);
  EXPECT_EQ(delegate->terminating, 1);
  app.terminate();
  EXPECT_EQ(delegate->terminating, 1);
}

TEST(LinuxApplicationTest, TerminationSignalsTakeTheTerminatePath) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    CurrentEvent events;
    LinuxApplication app{nullptr, events};
    auto delegate = std::make_shared<RecordingDelegate>([signal] { std::raise(signal); });
    app.setDelegate(delegate);
    bool timedOut = false;
    EXPECT_EQ(runWithLimit(app, timedOut), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(delegate->terminating, 1);
  }
}

TEST(LinuxApplicationTest, TerminateBeforeRunEndsRunWithoutLaunching) {
  CurrentEvent events;
  LinuxApplication app{nullptr, events};
  auto delegate = std::make_shared<RecordingDelegate>([] {});
  app.setDelegate(delegate);
  app.terminate();
  EXPECT_EQ(app.run(), 0);
  EXPECT_EQ(delegate->launched, 0);
  EXPECT_EQ(delegate->terminating, 1);
}

TEST(LinuxApplicationTest, ADelegateThatIsGoneIsNotCalled) {
  CurrentEvent events;
  LinuxApplication app{nullptr, events};
  int launches = 0;
  app.setDelegate(std::make_shared<RecordingDelegate>([&] { ++launches; }));
  GLibRunLoop loop;
  const auto stop = loop.scheduleRepeatingTimer(0.01, [&] { app.terminate(); });
  EXPECT_EQ(app.run(), 0);
  stop->invalidate();
  EXPECT_EQ(launches, 0);
  EXPECT_FALSE(app.currentEvent().has_value());
}

TEST(GLibRunLoopTest, RepeatingTimerFiresUntilInvalidated) {
  GLibRunLoop loop;
  auto counted = std::make_shared<int>(0);
  const std::weak_ptr<int> held = counted;
  auto timer = loop.scheduleRepeatingTimer(0.005, [counted] { ++*counted; });
  const std::shared_ptr<int> count = counted;
  counted.reset();
  ASSERT_TRUE(spinUntil([&] { return *count >= 3; }));
  EXPECT_TRUE(timer->isValid());
  timer->invalidate();
  const int stopped = *count;
  spinFor(50ms);
  EXPECT_EQ(*count, stopped);
  EXPECT_FALSE(timer->isValid());
  timer->invalidate();
  // The callback (and what it captured) is released at invalidation.
  EXPECT_EQ(count.use_count(), 1);
}

TEST(GLibRunLoopTest, LoopKeepsATimerWhoseHandleWasDropped) {
  GLibRunLoop loop;
  int fired = 0;
  auto handle = std::make_shared<std::weak_ptr<platform::Timer>>();
  *handle = loop.scheduleRepeatingTimer(0.005, [&fired, handle] {
    if (++fired == 3) handle->lock()->invalidate();
  });
  // The caller kept no strong reference; the loop does.
  ASSERT_TRUE(spinUntil([&] { return fired == 3; }));
  spinFor(50ms);
  EXPECT_EQ(fired, 3);
  EXPECT_TRUE(handle->expired());
}

}  // namespace
}  // namespace platform::linuxdesktop
