#include "network_agent/sampling/rate_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <optional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace agent {
namespace {

struct RateCase {
  double bytesPerSecond;
  const char* menuText;
  const char* fullText;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(RateTextTest, UnitsAndRoundingFollowTheRateTable) {
  const RateCase cases[] = {
      {0.0, "0 B/s", "0 KB/s"},
      {-0.0, "0 B/s", "0 KB/s"},
      {-5.0, "0 B/s", "0 KB/s"},
      {-kInfinity, "0 B/s", "0 KB/s"},
      {kNaN, "0 B/s", "0 KB/s"},
      {std::numeric_limits<double>::denorm_min(), "0 B/s", "0 B/s"},
      {0.4, "0 B/s", "0 B/s"},
      {0.5, "0 B/s", "0 B/s"},  // printf rounds an exact tie to even
      {0.6, "1 B/s", "1 B/s"},
      {512.0, "512 B/s", "512 B/s"},
      {999.4, "999 B/s", "999 B/s"},
      {999.7, "1000 B/s", "1000 B/s"},
      {1'000.0, "1 KB/s", "1 KB/s"},
      {1'600.0, "2 KB/s", "2 KB/s"},
      {2'500.0, "2 KB/s", "2 KB/s"},
      {3'500.0, "4 KB/s", "4 KB/s"},
      {999'999.0, "1000 KB/s", "1000 KB/s"},
      {1'000'000.0, "1.0 MB/s", "1.0 MB/s"},
      {12'345'678.0, "12.3 MB/s", "12.3 MB/s"},
      {2'500'000'000.0, "2500.0 MB/s", "2500.0 MB/s"},
      {1e15, "1000000000.0 MB/s", "1000000000.0 MB/s"},
      {kInfinity, "inf MB/s", "inf MB/s"},
  };
  for (const RateCase& rate : cases) {
    SCOPED_TRACE(rate.bytesPerSecond);
    EXPECT_EQ(menuRate(rate.bytesPerSecond), rate.menuText);
    EXPECT_EQ(fullRate(rate.bytesPerSecond), rate.fullText);
  }
}

TEST(RateTextTest, TextsMatchCPrintfAcrossMagnitudes) {
  for (double rate = 0.37; rate < 1e13; rate = rate * 1.37 + 0.11) {
    char expected[64] = {};
    if (rate >= 1e6) {
      std::snprintf(expected, sizeof expected, "%.1f MB/s", rate / 1e6);
    } else if (rate >= 1e3) {
      std::snprintf(expected, sizeof expected, "%.0f KB/s", rate / 1e3);
    } else {
      std::snprintf(expected, sizeof expected, "%.0f B/s", rate);
    }
    ASSERT_EQ(menuRate(rate), expected) << rate;
  }
}

// glibc drops the search path it builds from LOCPATH without freeing it; that
// one allocation is not ours to report.
class LocalePathLeakIgnored {
 public:
#if defined(__SANITIZE_ADDRESS__)
  LocalePathLeakIgnored() { __lsan_disable(); }
  ~LocalePathLeakIgnored() { __lsan_enable(); }
#endif
};

// Switches the C and C++ locales to one with a decimal comma, for as long as
// it lives, when such a locale can be found.
class CommaLocale {
 public:
  CommaLocale() : savedCLocale(std::setlocale(LC_ALL, nullptr)) {
    const char* savedPath = std::getenv("LOCPATH");
    if (savedPath != nullptr) savedLocalePath = savedPath;
    if (tryLocale("de_DE.UTF-8") || tryLocale("de_DE.utf8") || tryLocale("fr_FR.UTF-8")) return;
#ifdef VELMORA_TEST_LOCALE_DIR
    // A locale generated beside the tests at build time.
    setenv("LOCPATH", VELMORA_TEST_LOCALE_DIR, 1);
    tryLocale("de_DE.UTF-8");
#endif
  }

  ~CommaLocale() {
    [[maybe_unused]] const LocalePathLeakIgnored ignored;
    std::locale::global(savedCppLocale);
    std::setlocale(LC_ALL, savedCLocale.c_str());
    if (savedLocalePath) {
      setenv("LOCPATH", savedLocalePath->c_str(), 1);
    } else {
      unsetenv("LOCPATH");
    }
  }

  bool active = false;

 private:
  bool tryLocale(const char* name) {
    [[maybe_unused]] const LocalePathLeakIgnored ignored;
    if (std::setlocale(LC_ALL, name) == nullptr) return false;
    try {
      std::locale::global(std::locale(name));
    } catch (const std::runtime_error&) {
      std::setlocale(LC_ALL, savedCLocale.c_str());
      return false;
    }
    active = true;
    return true;
  }

  std::string savedCLocale;
  std::locale savedCppLocale;
  std::optional<std::string> savedLocalePath;
};

TEST(RateTextTest, DecimalPointStaysAPointUnderACommaLocale) {
  CommaLocale locale;
  if (!locale.active) GTEST_SKIP() << "no locale with a decimal comma is available";
  char printed[16] = {};
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  ASSERT_STREQ(printed, "1,5") << "the locale in use does not write a decimal comma";

  EXPECT_EQ(menuRate(12'345'678.0), "12.3 MB/s");
  EXPECT_EQ(fullRate(1'234'567'890.0), "1234.6 MB/s");
  EXPECT_EQ(menuRate(999'999.0), "1000 KB/s");
}

}  // namespace
}  // namespace agent
