#include "network_agent/sampling/rate_text.h"

#include <array>
#include <charconv>
#include <string_view>

namespace agent {

namespace {

constexpr double kBytesPerKilobyte = 1'000.0;
constexpr double kBytesPerMegabyte = 1'000'000.0;

// Fixed notation of the largest double in megabytes needs about 305 characters.
constexpr std::size_t kNumberBufferSize = 512;

// std::to_chars never consults a locale and rounds the exact binary value
// the way printf's "%.Nf" does, ties included.
std::string fixedText(double value, int precision, std::string_view unit) {
  std::array<char, kNumberBufferSize> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, precision);
  std::string text(buffer.data(), result.ptr);
  text += ' ';
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

}  // namespace

std::string menuRate(double bytesPerSecond) {
  // Written so that NaN, which compares false with everything, lands here too.
  if (!(bytesPerSecond > 0.0)) return "0 B/s";
  return positiveRate(bytesPerSecond);
}

std::string fullRate(double bytesPerSecond) {
  if (!(bytesPerSecond > 0.0)) return "0 KB/s";
  return positiveRate(bytesPerSecond);
}

}  // namespace agent
