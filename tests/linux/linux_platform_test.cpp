#include "platform/linux/linux_platform.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace platform::linuxdesktop {
namespace {

TEST(LinuxPlatformTest, ServicesAreMadeOnceAndKept) {
  const auto platform = LinuxPlatform::create("velmora-test-agent");
  ASSERT_TRUE(platform);
  EXPECT_EQ(&platform->sharedApplication(), &platform->sharedApplication());
  EXPECT_EQ(&platform->graphics(), &platform->graphics());
  EXPECT_EQ(&platform->cpuTicks(), &platform->cpuTicks());
  EXPECT_EQ(platform->environment().value("DBUS_SESSION_BUS_ADDRESS"),
            std::optional<std::string>{std::getenv("DBUS_SESSION_BUS_ADDRESS")});
}

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
