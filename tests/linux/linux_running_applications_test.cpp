#include "platform/linux/linux_running_applications.h"

#include <unistd.h>

#include <gtest/gtest.h>

namespace platform::linuxdesktop {
namespace {

TEST(LinuxRunningApplicationsTest, FindsProcessesThatExistOnly) {
  LinuxRunningApplications applications;
  EXPECT_NE(applications.find(getpid()), nullptr);
  // kill(0, 0) and kill(-1, 0) would succeed: they name groups, not processes.
  for (const pid_t pid : {0, -1, 2147483647}) EXPECT_EQ(applications.find(pid), nullptr) << pid;
}

}  // namespace
}  // namespace platform::linuxdesktop
