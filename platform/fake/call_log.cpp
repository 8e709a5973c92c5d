#include "platform/fake/call_log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform::fake {

std::vector<std::string> CallLog::withPrefix(std::string_view prefix) const {
  std::vector<std::string> matching;
  for (const std::string& entry : entries) {
    if (std::string_view{entry}.substr(0, prefix.size()) == prefix) matching.push_back(entry);
  }
  return matching;
}

bool CallLog::contains(std::string_view entry) const {
  return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

bool CallLog::inOrder(const std::vector<std::string>& expected) const {
  auto next = entries.begin();
  for (const std::string& entry : expected) {
    next = std::find(next, entries.end(), entry);
    if (next == entries.end()) return false;
    ++next;
  }
  return true;
}

// Beyond 17 decimals (a value very near zero) the full precision in
// exponent form.
std::string formatNumber(double value) {
  constexpr int kMostDecimals = 17;
  char buffer[400];
  for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    if (std::strtod(buffer, nullptr) == value) return buffer;
  }
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

}  // namespace platform::fake
