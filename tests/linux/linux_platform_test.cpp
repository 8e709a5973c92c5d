#include "platform/linux/linux_platform.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace platform::linuxdesktop {
namespace {

// Runs in a fresh process without the private bus: the shared connection of
// this one cannot be undone.
TEST(LinuxPlatformDeathTest, WithoutASessionBusThereIsNoPlatform) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  setenv("VELMORA_TEST_WITHOUT_BUS", "1", 1);
  EXPECT_EXIT(
      {
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
        unsetenv("DISPLAY");
        std::exit(LinuxPlatform::create("velmora-test-agent") == nullptr ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("VELMORA_TEST_WITHOUT_BUS");
}

}  // namespace
}  // namespace platform::linuxdesktop
