#include "network_agent/sampling/ioreg_output.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace agent {
namespace {

using namespace std::string_literals;

// One accelerator node as the tool prints it, with the utilisation entry's
// value text spliced in.
std::string acceleratorNode(std::string_view name, std::string_view utilization) {
  std::string node = "+-o ";
  node += name;
  node += "  <class ";
  node += name;
  node +=
      ", id 0x1000003c5, registered, matched, active, busy 0 (0 ms), retain 79>\n"
      "    {\n"
      "      \"IOClass\" = \"AGXAcceleratorG13X\"\n"
      "      \"IOMatchCategory\" = \"IOAccelerator\"\n"
      "      \"PerformanceStatistics\" = {\"Tiler Utilization %\"=2,\"Renderer Utilization "
      "%\"=2,\"Device Utilization %\"=";
  node += utilization;
  node +=
      ",\"In use system memory\"=340983808,\"Alloc system memory\"=1234567168}\n"
      "      \"IOGLBundleName\" = \"AppleMetalOpenGLRenderer\"\n"
      "    }\n"
      "    \n";
  return node;
}

std::optional<std::int64_t> valueAfterKey(const std::string& afterKey) {
  return deviceUtilizationFromIoregOutput("{\"Device Utilization %\"=" + afterKey);
}

TEST(IoregOutputTest, TypicalOutputGivesTheDeviceUtilization) {
  EXPECT_EQ(deviceUtilizationFromIoregOutput(acceleratorNode("AGXAcceleratorG13X", "2")), 2);
  EXPECT_EQ(deviceUtilizationFromIoregOutput(acceleratorNode("AGXAcceleratorG13X", "87")), 87);
}

TEST(IoregOutputTest, NumberRightAfterTheKeyIsReadAsTheRule) {
  struct ValueCase {
    std::string afterKey;
    std::optional<std::int64_t> percent;
  };
  const ValueCase cases[] = {
      {"37,", 37},
      {"0", 0},
      {"0,", 0},
      {"007", 7},
      {"000000000000000000000000037", 37},
      {"100}", 100},
      {"101}", 100},
      {"250", 100},
      {"9223372036854775807", 100},
      {"37.5", 37},
      {"37}\n", 37},
      {"37%", 37},
      {"37abc", 37},
      {"37\xC3\xA9", 37},      // a letter with a precomposed accent is no number
      {"37\xE4\xB8\xAD", 37},  // nor is a CJK ideograph
      {"37\xC2\xA0", 37},      // nor a no-break space
      {" 37", std::nullopt},
      {"-5", std::nullopt},
      {"+5", std::nullopt},
      {"\"37\"", std::nullopt},
      {",37", std::nullopt},
      {"", std::nullopt},
      {"9223372036854775808", std::nullopt},
      {"12345678901234567890", std::nullopt},
  };
  for (const ValueCase& value : cases) {
    EXPECT_EQ(valueAfterKey(value.afterKey), value.percent)
        << ::testing::PrintToString(value.afterKey);
  }
}

TEST(IoregOutputTest, NonAsciiNumberCharactersInTheRunGiveAbsent) {
  const std::string cases[] = {
      "\xEF\xBC\x93\xEF\xBC\x97",  // fullwidth 37
      "\xD9\xA3\xD9\xA7",          // Arabic-Indic 37
      "3\xD9\xA7",                 // ASCII 3, Arabic-Indic 7
      "37\xC2\xB2",                // superscript two after the digits
      "37\xC2\xBD",                // vulgar fraction one half
      "37\xE2\x85\xAB",            // Roman numeral twelve
      "37\xE2\x91\xA0",            // circled digit one
      "\xE3\x80\x87",              // ideographic number zero
      "5\xE3\x80\xA1",             // Hangzhou numeral one
      "\xF0\x9D\x9F\xA0",          // mathematical double-struck eight
  };
  for (const std::string& afterKey : cases) {
    EXPECT_EQ(valueAfterKey(afterKey + ","), std::nullopt) << ::testing::PrintToString(afterKey);
  }
}

TEST(IoregOutputTest, MarksJoinedToADigitMakeItsCharacterNonAscii) {
  const std::string cases[] = {
      "37\xCC\x81",  // combining acute accent
      "3\xCC\x81"
      "7",                           // the accent inside the run
      "37\xEF\xB8\x8F\xE2\x83\xA3",  // variation selector 16 and enclosing keycap
      "37\xE2\x80\x8D",              // zero-width joiner
      "37\xE1\xAA\xB0",              // combining doubled circumflex
      "37\xF3\xA0\x84\x80",          // variation selector 17
      "37\xE0\xA4\x83",              // a spacing mark
  };
  for (const std::string& afterKey : cases) {
    EXPECT_EQ(valueAfterKey(afterKey + ","), std::nullopt) << ::testing::PrintToString(afterKey);
  }
}

TEST(IoregOutputTest, MarkRightAfterTheKeyLeavesAnEmptyRun) {
  EXPECT_EQ(valueAfterKey("\xCC\x81"
                          "37"),
            std::nullopt);
}

TEST(IoregOutputTest, KeyMustMatchExactly) {
  EXPECT_EQ(deviceUtilizationFromIoregOutput(
                "{\"Device Utilization % at cur p-state\"=5,\"Device Utilization %\"=41}"),
            41);
  EXPECT_EQ(deviceUtilizationFromIoregOutput(
                "{\"Device Utilization %\" = 5,\"device utilization %\"=6,"
                "Device Utilization %=7,\"Device Utilization\"=8,\"Device Utilization %\"=42}"),
            42);
  EXPECT_EQ(deviceUtilizationFromIoregOutput("{\"Device Utilization %\" = 5}"), std::nullopt);
  EXPECT_EQ(deviceUtilizationFromIoregOutput("{\"Renderer Utilization %\"=9}"), std::nullopt);
  EXPECT_EQ(deviceUtilizationFromIoregOutput(""), std::nullopt);
}

TEST(IoregOutputTest, KeyAtTheVeryEndGivesAbsent) {
  EXPECT_EQ(
      deviceUtilizationFromIoregOutput("{\"Tiler Utilization %\"=3,\"Device Utilization %\"="),
      std::nullopt);
}

TEST(IoregOutputTest, FirstAcceleratorDecides) {
  const std::string two =
      acceleratorNode("AGXAcceleratorG13X", "12") + acceleratorNode("AGXAcceleratorG14G", "77");
  EXPECT_EQ(deviceUtilizationFromIoregOutput(two), 12);
  // Even when the first key's value is unusable.
  const std::string firstBroken =
      acceleratorNode("AGXAcceleratorG13X", "-1") + acceleratorNode("AGXAcceleratorG14G", "77");
  EXPECT_EQ(deviceUtilizationFromIoregOutput(firstBroken), std::nullopt);
}

TEST(IoregOutputTest, InvalidUtf8AnywhereGivesAbsent) {
  const std::string badBytes[] = {"\xFF"s,         "\x80"s,         "\xC0\xAF"s,
                                  "\xE0\x80\xAF"s, "\xED\xA0\x80"s, "\xF4\x90\x80\x80"s,
                                  "\xE2\x82"s};
  for (const std::string& bad : badBytes) {
    const std::string before = "\"Name\" = \"" + bad + "\"\n" + acceleratorNode("AGX", "37");
    const std::string after = acceleratorNode("AGX", "37") + "\"Name\" = \"" + bad;
    EXPECT_EQ(deviceUtilizationFromIoregOutput(before), std::nullopt)
        << ::testing::PrintToString(bad);
    EXPECT_EQ(deviceUtilizationFromIoregOutput(after), std::nullopt)
        << ::testing::PrintToString(bad);
  }
}

TEST(IoregOutputTest, ValidNonAsciiTextAroundTheKeyIsFine) {
  const std::string output = "\"IOName\" = \"\xE5\x9B\xBE\xE5\xBD\xA2\xF0\x9F\x98\x80\"\n\0\n"s +
                             acceleratorNode("AGX", "64");
  EXPECT_EQ(deviceUtilizationFromIoregOutput(output), 64);
}

}  // namespace
}  // namespace agent
