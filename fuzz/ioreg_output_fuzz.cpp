// The I/O Registry tool's output: the utilisation after the first key.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_rule.h"
#include "platform/darwin/ioreg_output.h"

namespace {

// Utilisation is a percentage: greater values read as 100.
constexpr std::int64_t kLimit = 100;

// The rule for ASCII output, where every character stands alone and only 0-9
// are number characters: the digits right after the first key, limited to 100.
std::optional<std::int64_t> expectedForAscii(std::string_view text) {
  const auto key = text.find(platform::darwin::kDeviceUtilizationKey);
  if (key == std::string_view::npos) return std::nullopt;
  std::string_view rest = text.substr(key + platform::darwin::kDeviceUtilizationKey.size());
  std::int64_t value = 0;
  std::size_t digits = 0;
  for (; digits < rest.size() && fuzz::isAsciiDigit(rest[digits]); ++digits) {
    if (__builtin_mul_overflow(value, 10, &value) ||
        __builtin_add_overflow(value, rest[digits] - '0', &value)) {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  return value < kLimit ? value : kLimit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::textOf(data, size);
  const std::optional<std::int64_t> percent =
      platform::darwin::deviceUtilizationFromIoregOutput(text);
  if (percent) {
    FUZZ_RULE(*percent >= 0 && *percent <= kLimit);
    FUZZ_RULE(text.find(platform::darwin::kDeviceUtilizationKey) != std::string_view::npos);
  }
  if (std::ranges::all_of(text, [](unsigned char byte) { return byte < 0x80; })) {
    FUZZ_RULE(percent == expectedForAscii(text));
  }
  return 0;
}
