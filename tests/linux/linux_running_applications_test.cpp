#include "platform/linux/linux_running_applications.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop {
namespace {

TEST(LinuxRunningApplicationsTest, FindsProcessesThatExistOnly) {
  LinuxRunningApplications applications;
  EXPECT_NE(applications.find(getpid()), nullptr);
  EXPECT_EQ(applications.find(0), nullptr);
  EXPECT_EQ(applications.find(-1), nullptr);
  EXPECT_EQ(applications.find(2147483647), nullptr);
}

TEST(LinuxRunningApplicationsTest, AProcessIsAFolderUnderTheProcRoot) {
  const GCharPtr root{g_dir_make_tmp("proc-root-XXXXXX", nullptr)};
  ASSERT_TRUE(root);
  const std::filesystem::path folder{root.get()};
  std::filesystem::create_directory(folder / "4242");
  std::ofstream{folder / "4243"} << "not a process";
  LinuxRunningApplications applications{folder.string()};
  EXPECT_NE(applications.find(4242), nullptr);
  EXPECT_EQ(applications.find(4243), nullptr);
  EXPECT_EQ(applications.find(4244), nullptr);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace platform::linuxdesktop
