#include "agent_common/host_pid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/fake/fake_platform.h"

namespace {

struct PidCase {
  std::optional<std::string> value;
  std::int32_t expected;
};

TEST(HostPid, ReadsOnlyASignedDecimalThatFitsThirtyTwoBits) {
  const PidCase cases[] = {
      {"+4242", 4242},
      {"004242", 4242},
      {" 4242", 0},
      {"4242\n", 0},
      {"42a", 0},
      {"", 0},
      {"+", 0},
      {"-", 0},
      {"2147483648", 0},
      {"4294967296", 0},
      {"4294967338", 0},
      {"-1", -1},
      {"0", 0},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {std::nullopt, 0},
  };
  for (const PidCase& c : cases) {
    SCOPED_TRACE("value \"" + c.value.value_or("(absent)") + "\"");
    platform::fake::FakePlatform platform;
    if (c.value) platform.env.variables["QORVN_PARENT_PID"] = *c.value;
    EXPECT_EQ(agent::readParentPID(platform.environment()), c.expected);
  }
}

}  // namespace
