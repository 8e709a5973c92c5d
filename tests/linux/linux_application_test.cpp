#include "platform/linux/linux_application.h"

#include <csignal>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "platform/linux/glib_run_loop.h"
#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

// Counts terminations and runs a step from inside applicationDidFinishLaunching.
class RecordingDelegate : public platform::ApplicationDelegate {
 public:
  explicit RecordingDelegate(std::function<void()> onLaunch) : onLaunch(std::move(onLaunch)) {}
  void applicationDidFinishLaunching() override { onLaunch(); }
  void applicationWillTerminate() override { ++terminating; }

  int terminating = 0;

 private:
  std::function<void()> onLaunch;
};

// Runs the application; false when a limit of 5 s had to end it.
bool runsToZero(platform::Application& app) {
  GLibRunLoop loop;
  bool timedOut = false;
  const auto guard = loop.scheduleRepeatingTimer(5.0, [&] {
    timedOut = true;
    app.terminate();
  });
  const int status = app.run();
  guard->invalidate();
  return status == 0 && !timedOut;
}

TEST(LinuxApplicationTest, TerminateAndTerminationSignalsRunWillTerminateOnceAndRunReturnsZero) {
  // 0 stands for terminate, called twice.
  for (const int signal : {0, SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    CurrentEvent events;
    LinuxApplication app{nullptr, events};
    auto delegate = std::make_shared<RecordingDelegate>([&app, signal] {
      if (signal != 0) {
        std::raise(signal);
      } else {
        app.terminate();
        app.terminate();
      }
    });
    app.setDelegate(delegate);
    EXPECT_TRUE(runsToZero(app));
    app.terminate();
    EXPECT_EQ(delegate->terminating, 1);
  }
}

TEST_F(StatusItemTest, AMenuCommandMayEndTheApplicationAndTheHostStillGetsItsReply) {
  platform::Application& app = platform->sharedApplication();
  const auto delegate = std::make_shared<RecordingDelegate>([] {});
  app.setDelegate(delegate);
  const auto item = newItem();
  auto menu = platform->statusBar().newMenu();
  menu->addItem(
      "关闭网速显示", [&] { app.terminate(); }, "", true);
  item->setSecondaryClickMenu(menu);
  ASSERT_TRUE(waitForRegistrations(1));
  const auto entries = menuEntries(registrations[0].menuLayout.get());
  ASSERT_EQ(entries.size(), 1u);
  const PendingReply reply =
      callLater(host.get(), itemBusName().c_str(), "/MenuBar", "com.canonical.dbusmenu", "Event",
                g_variant_new("(isvu)", entries[0].id, "clicked", g_variant_new_int32(0), 0u));
  EXPECT_TRUE(runsToZero(app));
  EXPECT_EQ(delegate->terminating, 1);
  ASSERT_TRUE(spinUntil([&] { return reply->has_value(); }));
  EXPECT_TRUE(**reply);
}

TEST(GLibRunLoopTest, RepeatingTimerFiresUntilInvalidatedAndThenReleasesItsCallback) {
  GLibRunLoop loop;
  auto count = std::make_shared<int>(0);
  const auto timer = loop.scheduleRepeatingTimer(0.005, [count] { ++*count; });
  ASSERT_TRUE(spinUntil([&] { return *count >= 3; }));
  EXPECT_TRUE(timer->isValid());
  timer->invalidate();
  const int stopped = *count;
  spinFor(50ms);
  EXPECT_EQ(*count, stopped);
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(count.use_count(), 1);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
