#include <signal.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // A child that has gone must not end the test when it writes to the
  // child's input: the write fails instead.
  signal(SIGPIPE, SIG_IGN);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
