#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/linux/private_session_bus.h"

// Every test runs against a private bus. A test that needs a process without
// any session bus re-runs this binary with VELMORA_TEST_WITHOUT_BUS set.
int main(int argc, char** argv) {
  setenv("G_DEBUG", "fatal-criticals", 1);
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("VELMORA_TEST_WITHOUT_BUS") == nullptr) {
    ::testing::AddGlobalTestEnvironment(new platform::linuxdesktop::testing::PrivateSessionBus);
  }
  return RUN_ALL_TESTS();
}
