#include "agent_common/host_pid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/fake/fake_platform.h"

namespace {

struct PidCase {
  const char* value;
  std::int32_t expected;
};

// Every value the host might pass, and the edges of the accepted form.
const PidCase kPidCases[] = {
    {"4242", 4242},
    {"+4242", 4242},
    {"004242", 4242},
    {"0000000000000000000000004242", 4242},
    {"1", 1},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"-1", -1},
    {"0", 0},
    {"-0", 0},
    {" 4242", 0},
    {"4242 ", 0},
    {"4242\n", 0},
    {"\t4242", 0},
    {"42 42", 0},
    {"4242a", 0},
    {"0x10", 0},
    {"4.0", 0},
    {"", 0},
    {"+", 0},
    {"-", 0},
    {"++1", 0},
    {"+-1", 0},
    {"--1", 0},
    {"2147483648", 0},
    {"-2147483649", 0},
    {"4294967296", 0},
    {"4294967338", 0},  // 4242 + 2^32: must not wrap to 4242
    {"99999999999999999999999999", 0},
    {"\xd9\xa4", 0},  // ARABIC-INDIC DIGIT FOUR is not an ASCII digit
    {"４２", 0},      // FULLWIDTH digits
};

TEST(HostPid, ParsesOnlyASignedDecimalThatFitsThirtyTwoBits) {
  for (const PidCase& c : kPidCases) {
    EXPECT_EQ(agent::parseParentPID(std::string_view{c.value}), c.expected)
        << "value \"" << c.value << "\"";
  }
}

TEST(HostPid, NoTextGivesZero) { EXPECT_EQ(agent::parseParentPID(std::nullopt), 0); }

TEST(HostPid, ReadsTheVariableFromTheEnvironmentByItsExactName) {
  struct EnvCase {
    std::optional<std::string> name;
    std::string value;
    std::int32_t expected;
  };
  const EnvCase cases[] = {
      {"QORVN_PARENT_PID", "4242", 4242}, {"QORVN_PARENT_PID", "+004242", 4242},
      {"QORVN_PARENT_PID", "4242\n", 0},  {"qorvn_parent_pid", "4242", 0},
      {"QORVN_PARENT_PID ", "4242", 0},   {std::nullopt, "", 0},
  };
  for (const EnvCase& c : cases) {
    platform::fake::FakePlatform platform;
    if (c.name) platform.env.variables[*c.name] = c.value;
    EXPECT_EQ(agent::readParentPID(platform.environment()), c.expected)
        << "name " << c.name.value_or("(none)") << " value \"" << c.value << "\"";
    EXPECT_EQ(platform.log.all(), std::vector<std::string>{"environment(QORVN_PARENT_PID)"});
  }
}

}  // namespace
