#include "network_agent/sampling/rate_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace agent {
namespace {

// The texts must match these bytes exactly; the fuzz oracle only bounds them.
// The compact one fits four characters and rounds into the next form.
TEST(RateTextTest, UnitsAndRoundingFollowTheRateTable) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // Bytes per second, then the menu's, the full and the compact text.
  const std::tuple<double, const char*, const char*, const char*> cases[] = {
      {0.0, "0 B/s", "0 KB/s", "0"},
      {-5.0, "0 B/s", "0 KB/s", "0"},
      {kNaN, "0 B/s", "0 KB/s", "0"},
      {kInf, "0 B/s", "0 KB/s", "999G"},
      {49.0, "49 B/s", "49 B/s", "0"},
      {50.0, "50 B/s", "50 B/s", "0.1K"},
      {999.7, "1000 B/s", "1000 B/s", "1.0K"},
      {1'000.0, "1 KB/s", "1 KB/s", "1.0K"},
      {1'600.0, "2 KB/s", "2 KB/s", "1.6K"},
      {9'949.0, "10 KB/s", "10 KB/s", "9.9K"},
      {9'950.0, "10 KB/s", "10 KB/s", "10K"},
      {999'499.0, "999 KB/s", "999 KB/s", "999K"},
      {999'500.0, "1000 KB/s", "1000 KB/s", "1.0M"},
      {12'345'678.0, "12.3 MB/s", "12.3 MB/s", "12M"},
      {2'500'000'000.0, "2500.0 MB/s", "2500.0 MB/s", "2.5G"},
  };
  for (const auto& [bytesPerSecond, menuText, fullText, compactText] : cases) {
    EXPECT_EQ(menuRate(bytesPerSecond), menuText) << bytesPerSecond;
    EXPECT_EQ(fullRate(bytesPerSecond), fullText) << bytesPerSecond;
    EXPECT_EQ(compactRate(bytesPerSecond), compactText) << bytesPerSecond;
  }
}

// The texts are printed by the C library, whose separator follows the C
// locale; nothing sets the C++ global locale.
TEST(RateTextTest, DecimalPointStaysAPointUnderACommaLocale) {
#ifdef VELMORA_TEST_LOCALE_DIR
  // Falls back to the locale generated beside the tests at build time.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
    setenv("LOCPATH", VELMORA_TEST_LOCALE_DIR, 1);
#endif
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is available";
  }
  char printed[8] = {};
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  EXPECT_STREQ(printed, "1,5") << "the C locale in use does not write a decimal comma";
  EXPECT_EQ(menuRate(12'345'678.0), "12.3 MB/s");
  EXPECT_EQ(fullRate(1'234'567'890.0), "1234.6 MB/s");
  EXPECT_EQ(compactRate(1'234'567.0), "1.2M");
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace agent
