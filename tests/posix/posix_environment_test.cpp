#include "platform/posix/posix_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace platform::posix {
namespace {

TEST(PosixEnvironmentTest, ReadsVariablesAsTheyAreSetNowAndOnlyByAValidName) {
  PosixEnvironment environment;
  ::setenv("VELMORA_ENV_PROBE", "B=C", 1);
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), "B=C");
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE=B"), std::nullopt);
  EXPECT_EQ(environment.value(""), std::nullopt);
  ::setenv("VELMORA_ENV_PROBE", "", 1);
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), "");
  ::unsetenv("VELMORA_ENV_PROBE");
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), std::nullopt);
}

}  // namespace
}  // namespace platform::posix
