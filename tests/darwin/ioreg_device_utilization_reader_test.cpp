#include "platform/darwin/ioreg_device_utilization_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/posix/posix_child_process_runner.h"
#include "tests/support/temp_dir.h"

namespace platform::darwin {
namespace {

// Reads through a stand-in tool: a shell script with this body, written into
// a fresh temporary folder that is removed afterwards.
std::optional<std::int64_t> readWithTool(const std::string& body) {
  const test_support::TempDir folder{"ioreg-standin"};
  const std::string path = folder.path() / "ioreg";
  std::ofstream(path) << "#!/bin/sh\n" << body;
  ::chmod(path.c_str(), 0755);
  platform::posix::PosixChildProcessRunner runner;
  return IoregDeviceUtilizationReader{runner, path}.readDeviceUtilization();
}

TEST(StandInIoregTest, ToolRunWithTheFixedArgumentsGivesItsUtilizationUnlessItFails) {
  const std::string node =
      "echo '+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X>'\n"
      "echo '  \"PerformanceStatistics\" = {\"Device Utilization %\"=57}'\n";
  EXPECT_EQ(readWithTool("[ \"$*\" = \"-r -c IOAccelerator -k PerformanceStatistics -d 1\" ] || "
                         "exit 9\n" +
                         node + "echo 'diagnostics nobody reads' >&2\n"),
            57);
  EXPECT_EQ(readWithTool(node + "exit 1\n"), std::nullopt);
}

}  // namespace
}  // namespace platform::darwin
