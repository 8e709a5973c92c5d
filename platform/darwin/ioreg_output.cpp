#include "platform/darwin/ioreg_output.h"

#include <charconv>
#include <system_error>

#include "platform/darwin/unicode_properties.h"
#include "platform/darwin/utf8_decoding.h"
#include "platform/system_readings.h"

namespace platform::darwin {

namespace {

struct NumberRun {
  std::string_view text;
  bool asciiDigitsOnly = true;
};

bool isAsciiDigit(char32_t codePoint) { return codePoint >= U'0' && codePoint <= U'9'; }

// Walks code points from start. A number character starts a new character of
// the run; an extender after it stays in that character's cluster, so a digit
// with a combining mark counts as a number character that is not ASCII. The
// run ends at the first character whose leading code point is not a number.
NumberRun numberRunAt(std::string_view text, std::size_t start) {
  NumberRun run;
  std::size_t end = start;
  std::size_t position = start;
  while (position < text.size()) {
    const std::optional<char32_t> codePoint = decodeUtf8CodePoint(text, position);
    if (!codePoint) break;
    if (isNumberCodePoint(*codePoint)) {
      run.asciiDigitsOnly = run.asciiDigitsOnly && isAsciiDigit(*codePoint);
    } else if (end > start && isGraphemeExtender(*codePoint)) {
      run.asciiDigitsOnly = false;
    } else {
      break;
    }
    end = position;
  }
  run.text = text.substr(start, end - start);
  return run;
}

}  // namespace

std::optional<std::int64_t> deviceUtilizationFromIoregOutput(std::string_view outputBytes) {
  if (!isValidUtf8(outputBytes)) return std::nullopt;
  // The key is ASCII, so in valid UTF-8 a byte match always starts and ends
  // on code point boundaries.
  const std::size_t keyAt = outputBytes.find(kDeviceUtilizationKey);
  if (keyAt == std::string_view::npos) return std::nullopt;
  const NumberRun run = numberRunAt(outputBytes, keyAt + kDeviceUtilizationKey.size());
  if (run.text.empty() || !run.asciiDigitsOnly) return std::nullopt;
  std::int64_t value = 0;
  const char* const end = run.text.data() + run.text.size();
  const auto [parsedEnd, error] = std::from_chars(run.text.data(), end, value);
  if (error != std::errc{} || parsedEnd != end) return std::nullopt;
  return platform::utilizationPercent(value);
}

}  // namespace platform::darwin
