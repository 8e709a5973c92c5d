#include "platform/darwin/ioreg_output.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace platform::darwin {
namespace {

// One accelerator node as the tool prints it, with the utilisation's value text spliced in.
std::string acceleratorNode(const std::string& utilization) {
  return "+-o AGXAcceleratorG13X  <class AGXAcceleratorG13X, id 0x1000003c5, registered>\n"
         "    {\n"
         "      \"PerformanceStatistics\" = {\"Tiler Utilization %\"=2,\"Device Utilization "
         "%\"=" +
         utilization + ",\"In use system memory\"=340983808}\n    }\n";
}

TEST(IoregOutputTest, NumberRightAfterTheFirstKeyIsTheUtilization) {
  const std::string key = "\"Device Utilization %\"=";
  const struct {
    const char* what;
    std::string output;
    std::optional<std::int64_t> percent;
  } cases[] = {
      {"realistic nested statistics", acceleratorNode("23"), 23},
      {"zero with leading zeros", key + "000", 0},
      {"above 100 is limited", key + "250", 100},
      {"fraction is cut at the point", key + "37.9", 37},
      {"key at the end", "{\"Tiler Utilization %\"=3," + key, std::nullopt},
      {"20 digits exceed 64 bits", key + "12345678901234567890", std::nullopt},
      {"no key", "{\"Renderer Utilization %\"=9}", std::nullopt},
      {"two accelerators: the first", acceleratorNode("12") + acceleratorNode("77"), 12},
      {"first unusable decides", acceleratorNode("-1") + acceleratorNode("77"), std::nullopt},
      {"lookalike key", "{\"Device Utilization % at cur p-state\"=5," + key + "41}", 41},
      {"Arabic-Indic digit in the run", key + "3\xD9\xA7,", std::nullopt},
      {"combining accent on a digit", key + "37\xCC\x81,", std::nullopt},
      {"combining accent right after the key", key + "\xCC\x81" + "37", std::nullopt},
      {"valid non-ASCII elsewhere", "\"IOName\" = \"\xE5\x9B\xBE\"\n" + acceleratorNode("64"), 64},
      {"invalid byte before", "\"IOName\" = \"\xFF\"\n" + acceleratorNode("37"), std::nullopt},
      {"overlong form", "\"IOName\" = \"\xC0\xAF\"\n" + acceleratorNode("37"), std::nullopt},
      {"surrogate", "\"IOName\" = \"\xED\xA0\x80\"\n" + acceleratorNode("37"), std::nullopt},
      {"truncated sequence at the end", acceleratorNode("37") + "\xE2\x82", std::nullopt},
  };
  for (const auto& output : cases) {
    EXPECT_EQ(deviceUtilizationFromIoregOutput(output.output), output.percent) << output.what;
  }
}

}  // namespace
}  // namespace platform::darwin
