#include "network_agent/sampling/ioreg_device_utilization_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/posix_child_process_runner.h"
#include "tests/sampling/sampling_fakes.h"

namespace agent {
namespace {

const char* const kOutput =
    "+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X, id 0x1000003c5, registered, matched, "
    "active, busy 0 (0 ms), retain 79>\n"
    "    {\n"
    "      \"PerformanceStatistics\" = {\"Tiler Utilization %\"=4,\"Renderer Utilization %\"=5,"
    "\"Device Utilization %\"=23,\"In use system memory\"=340983808}\n"
    "    }\n";

TEST(IoregDeviceUtilizationReaderTest, RunsTheToolWithItsFixedCommandLineAndTimeLimit) {
  testing::FakeChildProcessRunner runner;
  runner.result = platform::ChildOutput{.exitStatus = 0, .standardOutput = kOutput};
  IoregDeviceUtilizationReader reader{runner};
  EXPECT_EQ(reader.readDeviceUtilization(), 23);
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].path, "/usr/sbin/ioreg");
  EXPECT_EQ(runner.calls[0].arguments,
            (std::vector<std::string>{"-r", "-c", "IOAccelerator", "-k", "PerformanceStatistics",
                                      "-d", "1"}));
  EXPECT_EQ(runner.calls[0].timeLimit, std::chrono::milliseconds(2000));
}

TEST(IoregDeviceUtilizationReaderTest, FailedOrUnusableRunsGiveAbsent) {
  struct RunCase {
    const char* what;
    std::optional<platform::ChildOutput> output;
  };
  const RunCase cases[] = {
      {"could not run, timed out or killed", std::nullopt},
      {"non-zero exit with a good figure", platform::ChildOutput{1, kOutput}},
      {"exit status 255", platform::ChildOutput{255, kOutput}},
      {"no key in the output", platform::ChildOutput{0, "+-o Root  <class IORegistryEntry>\n"}},
      {"empty output", platform::ChildOutput{0, ""}},
  };
  for (const RunCase& run : cases) {
    testing::FakeChildProcessRunner runner;
    runner.result = run.output;
    IoregDeviceUtilizationReader reader{runner};
    EXPECT_EQ(reader.readDeviceUtilization(), std::nullopt) << run.what;
    EXPECT_EQ(runner.calls.size(), 1u) << run.what;
  }
}

// Stand-in tools written as shell scripts into a fresh temporary folder.
class StandInToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ioreg-standin-XXXXXX");
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string writeTool(const std::string& name, const std::string& body) {
    const std::filesystem::path path = folder / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
    return path.string();
  }

  std::filesystem::path folder;
  platform::posix::PosixChildProcessRunner runner;
};

TEST_F(StandInToolTest, ToolThatPrintsTheStatisticsGivesItsUtilization) {
  const std::string tool =
      writeTool("ioreg",
                "[ \"$*\" = \"-r -c IOAccelerator -k PerformanceStatistics -d 1\" ] || exit 9\n"
                "echo '+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X, registered, matched>'\n"
                "echo '    {'\n"
                "echo '      \"PerformanceStatistics\" = {\"Device Utilization %\"=57,\"x\"=1}'\n"
                "echo '    }'\n"
                "echo 'diagnostics nobody reads' >&2\n");
  IoregDeviceUtilizationReader reader{runner, tool};
  EXPECT_EQ(reader.readDeviceUtilization(), 57);
}

TEST_F(StandInToolTest, ToolThatExitsWithAnErrorGivesAbsent) {
  const std::string tool =
      writeTool("ioreg", "echo '\"Device Utilization %\"=57'\necho 'failed' >&2\nexit 1\n");
  IoregDeviceUtilizationReader reader{runner, tool};
  EXPECT_EQ(reader.readDeviceUtilization(), std::nullopt);
}

TEST_F(StandInToolTest, MissingToolGivesAbsent) {
  IoregDeviceUtilizationReader reader{runner, (folder / "no-such-ioreg").string()};
  EXPECT_EQ(reader.readDeviceUtilization(), std::nullopt);
}

}  // namespace
}  // namespace agent
