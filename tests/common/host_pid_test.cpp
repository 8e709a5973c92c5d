#include "agent_common/host_pid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace {

TEST(HostPid, ReadsOnlyASignedDecimalThatFitsThirtyTwoBits) {
  const struct {
    std::optional<std::string_view> text;
    std::int32_t expected;
  } cases[] = {
      {"+004242", 4242},
      {" 4242", 0},
      {"4242\n", 0},
      {"", 0},
      {"-", 0},
      {"2147483648", 0},
      {"4294967338", 0},  // would read as 42 cut to 32 bits
      {"-1", -1},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {std::nullopt, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.value_or("(absent)"));
    EXPECT_EQ(agent::parseParentPID(c.text), c.expected);
  }
}

}  // namespace
