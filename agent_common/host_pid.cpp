#include "agent_common/host_pid.h"

#include <string>

#include "agent_common/host_contract.h"

namespace agent {

std::int32_t parseParentPID(std::optional<std::string_view> text) {
  if (!text || text->empty()) return 0;
  std::string_view digits = *text;
  bool negative = false;
  if (digits.front() == '+' || digits.front() == '-') {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return 0;
  // Accumulated as a magnitude in 64 bits; the bound is checked per digit so
  // that any number of leading zeros and any length of digits is safe.
  const std::int64_t limit = negative ? std::int64_t{2147483648} : std::int64_t{2147483647};
  std::int64_t magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return 0;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t readParentPID(const platform::Environment& environment) {
  const std::optional<std::string> value = environment.value(std::string{kParentPidVariable});
  if (!value) return 0;
  return parseParentPID(std::string_view{*value});
}

}  // namespace agent
