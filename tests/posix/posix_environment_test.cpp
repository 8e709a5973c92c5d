#include "platform/posix/posix_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace platform::posix {
namespace {

TEST(PosixEnvironmentTest, ReadsVariablesAsTheyAreSetNow) {
  PosixEnvironment environment;
  ::unsetenv("VELMORA_ENV_PROBE");
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), std::nullopt);
  ::setenv("VELMORA_ENV_PROBE", " 4242 ", 1);
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), " 4242 ");
  ::setenv("VELMORA_ENV_PROBE", "", 1);
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), "");
  EXPECT_EQ(environment.value("velmora_env_probe"), std::nullopt);
  ::unsetenv("VELMORA_ENV_PROBE");
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE"), std::nullopt);
}

TEST(PosixEnvironmentTest, NamesThatCannotNameAVariableGiveNone) {
  PosixEnvironment environment;
  ::setenv("VELMORA_ENV_PROBE", "B=C", 1);
  EXPECT_EQ(environment.value("VELMORA_ENV_PROBE=B"), std::nullopt);
  EXPECT_EQ(environment.value(std::string("VELMORA_ENV_PROBE\0X", 19)), std::nullopt);
  EXPECT_EQ(environment.value(""), std::nullopt);
  ::unsetenv("VELMORA_ENV_PROBE");
}

}  // namespace
}  // namespace platform::posix
