#include "platform/posix/posix_process_probe.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::posix {
namespace {

TEST(PosixProcessProbeTest, OwnProcessExistsButAReapedChildDoesNot) {
  PosixProcessProbe probe;
  EXPECT_EQ(probe.probe(::getpid()), 0);
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  EXPECT_NE(probe.probe(child), 0);
}

TEST(PosixProcessProbeTest, IdsBelowOneNameNoSingleProcess) {
  PosixProcessProbe probe;
  // kill() would address our process group or every process here and succeed.
  for (const std::int32_t pid : {0, -1, -static_cast<std::int32_t>(::getpgrp())})
    EXPECT_NE(probe.probe(pid), 0) << pid;
}

}  // namespace
}  // namespace platform::posix
