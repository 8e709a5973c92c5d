// The rate texts of the status bar and the tooltip.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_rule.h"
#include "network_agent/sampling/rate_text.h"

namespace {

struct Unit {
  const char* suffix;
  double bytes;
  int decimals;
};

// Checks one text against the rule: a number in fixed notation (one decimal
// in MB, none otherwise), a space and the unit chosen on the unrounded rate.
void checkRate(double rate, const std::string& text, const char* zeroText) {
  if (!(rate > 0.0) || !std::isfinite(rate)) {
    FUZZ_RULE(text == zeroText);
    return;
  }
  const Unit unit = rate >= 1e6   ? Unit{" MB/s", 1e6, 1}
                    : rate >= 1e3 ? Unit{" KB/s", 1e3, 0}
                                  : Unit{" B/s", 1.0, 0};
  FUZZ_RULE(text.ends_with(unit.suffix));
  const std::string number = text.substr(0, text.size() - std::strlen(unit.suffix));
  FUZZ_RULE(!number.empty() && fuzz::isAsciiDigit(number.front()));
  const std::size_t point = number.find('.');
  const int decimals = point == std::string::npos ? 0 : int(number.size() - point - 1);
  FUZZ_RULE(decimals == unit.decimals);
  for (const char character : number) FUZZ_RULE(fuzz::isAsciiDigit(character) || character == '.');
  // Rounded to the nearest step of the last digit.
  const double shown = std::strtod(number.c_str(), nullptr);
  const double exact = rate / unit.bytes;
  const double step = unit.decimals == 1 ? 0.1 : 1.0;
  FUZZ_RULE(std::fabs(shown - exact) <= step / 2 * (1 + 1e-9) + std::fabs(exact) * 1e-15);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  double rate = 0.0;
  if (size < sizeof rate) return 0;
  std::memcpy(&rate, data, sizeof rate);
  checkRate(rate, agent::menuRate(rate), "0 B/s");
  checkRate(rate, agent::fullRate(rate), "0 KB/s");
  return 0;
}
