#include "platform/fake/call_log.h"

#include <algorithm>
#include <charconv>

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

std::string formatNumber(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace platform::fake
