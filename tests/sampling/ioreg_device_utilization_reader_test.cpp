#include "network_agent/sampling/ioreg_device_utilization_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/posix/posix_child_process_runner.h"

namespace agent {
namespace {

// Stand-in tools written as shell scripts into a fresh temporary folder.
class StandInIoregTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = std::filesystem::temp_directory_path() / "ioreg-standin-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::optional<std::int64_t> readWithTool(const std::string& body) {
    const std::filesystem::path path = folder / "ioreg";
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
    IoregDeviceUtilizationReader reader{runner, path.string()};
    return reader.readDeviceUtilization();
  }

  std::filesystem::path folder;
  platform::posix::PosixChildProcessRunner runner;
};

TEST_F(StandInIoregTest, ToolRunWithTheFixedArgumentsGivesItsUtilization) {
  EXPECT_EQ(readWithTool("[ \"$*\" = \"-r -c IOAccelerator -k PerformanceStatistics -d 1\" ] || "
                         "exit 9\n"
                         "echo '+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X>'\n"
                         "echo '  \"PerformanceStatistics\" = {\"Device Utilization %\"=57}'\n"
                         "echo 'diagnostics nobody reads' >&2\n"),
            57);
}

TEST_F(StandInIoregTest, ToolThatExitsWithAnErrorGivesAbsent) {
  EXPECT_EQ(readWithTool("echo '\"Device Utilization %\"=57'\nexit 1\n"), std::nullopt);
}

}  // namespace
}  // namespace agent
