#include "platform/posix/posix_process_probe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>

#include "platform/posix/posix_child_process_runner.h"
#include "tests/posix/stand_in_folder.h"

namespace platform::posix {
namespace {

TEST(PosixProcessProbeTest, OwnProcessExists) {
  PosixProcessProbe probe;
  EXPECT_EQ(probe.probe(::getpid()), 0);
  EXPECT_EQ(probe.probe(::getppid()), 0);
}

TEST(PosixProcessProbeTest, ReapedChildNoLongerExists) {
  testing::StandInFolder folder;
  PosixChildProcessRunner runner;
  const auto output =
      runner.run(folder.script("say-pid", "echo $$\n"), {}, std::chrono::seconds(20));
  ASSERT_TRUE(output.has_value());
  const pid_t child = std::stoi(output->standardOutput);
  ASSERT_GT(child, 0);
  PosixProcessProbe probe;
  EXPECT_NE(probe.probe(child), 0);
}

TEST(PosixProcessProbeTest, IdsBelowOneNameNoSingleProcess) {
  PosixProcessProbe probe;
  // kill() would address our process group or every process here and succeed.
  EXPECT_NE(probe.probe(0), 0);
  EXPECT_NE(probe.probe(-1), 0);
  EXPECT_NE(probe.probe(-static_cast<std::int32_t>(::getpgrp())), 0);
}

}  // namespace
}  // namespace platform::posix
