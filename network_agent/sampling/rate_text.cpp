#include "network_agent/sampling/rate_text.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace agent {

namespace {

constexpr double kBytesPerKilobyte = 1'000.0;
constexpr double kBytesPerMegabyte = 1'000'000.0;

// Fixed notation of the largest double in megabytes needs about 305 characters.
constexpr std::size_t kNumberBufferSize = 512;

// printf rounds the exact binary value, ties to even, so "%.Nf" gives the
// same digits on every C library; only the decimal separator follows the
// C locale, and it is put back to a point here.
std::string fixedText(double value, int precision, std::string_view unit, bool spaced = true) {
  std::array<char, kNumberBufferSize> buffer{};
  const int length = std::snprintf(buffer.data(), buffer.size(), "%.*f", precision, value);
  std::string text(buffer.data(), static_cast<std::size_t>(
                                      std::clamp(length, 0, static_cast<int>(buffer.size()) - 1)));
  const char* separator = std::localeconv()->decimal_point;
  const std::size_t separatorLength = separator != nullptr ? std::strlen(separator) : 0;
  if (precision > 0 && separatorLength > 0 && std::string_view{separator} != ".") {
    const std::size_t at = text.find(separator);
    if (at != std::string::npos) text.replace(at, separatorLength, 1, '.');
  }
  if (spaced) text += ' ';
  text += unit;
  return text;
}

std::string positiveRate(double bytesPerSecond) {
  if (bytesPerSecond >= kBytesPerMegabyte) {
    return fixedText(bytesPerSecond / kBytesPerMegabyte, 1, "MB/s");
  }
  if (bytesPerSecond >= kBytesPerKilobyte) {
    return fixedText(bytesPerSecond / kBytesPerKilobyte, 0, "KB/s");
  }
  return fixedText(bytesPerSecond, 0, "B/s");
}

// False for NaN, which compares false with everything, and for infinity,
// which has no digits to show.
bool isShownRate(double bytesPerSecond) {
  return bytesPerSecond > 0.0 && bytesPerSecond <= std::numeric_limits<double>::max();
}

}  // namespace

std::string menuRate(double bytesPerSecond) {
  if (!isShownRate(bytesPerSecond)) return "0 B/s";
  return positiveRate(bytesPerSecond);
}

std::string compactRate(double bytesPerSecond) {
  constexpr std::array<std::pair<double, std::string_view>, 3> units = {
      {{1e3, "K"}, {1e6, "M"}, {1e9, "G"}}};
  // Rounding decides the form: 9.96 KB shows as "10K", 999.6 KB as "1.0M".
  constexpr double kOneDecimalBelow = 9.95;
  constexpr double kNextUnitFrom = 999.5;
  constexpr double kLargest = 999.0;
  if (!(bytesPerSecond >= 50.0)) return "0";
  for (const auto& [size, letter] : units) {
    const double value = bytesPerSecond / size;
    if (value < kOneDecimalBelow) return fixedText(value, 1, letter, false);
    if (value < kNextUnitFrom || letter == units.back().second) {
      return fixedText(std::min(value, kLargest), 0, letter, false);
    }
  }
  return "0";
}

std::string fullRate(double bytesPerSecond) {
  if (!isShownRate(bytesPerSecond)) return "0 KB/s";
  return positiveRate(bytesPerSecond);
}

}  // namespace agent
