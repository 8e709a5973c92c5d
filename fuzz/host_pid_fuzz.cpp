// QORVN_PARENT_PID's text: the host's process id or 0.
#include <cstdint>
#include <string>
#include <string_view>

#include "agent_common/host_pid.h"
#include "fuzz/fuzz_rule.h"

namespace {

// An optional sign, then only digits, within the signed 32-bit range.
std::int32_t expected(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return 0;
  std::int64_t magnitude = 0;
  for (const char character : text) {
    if (!fuzz::isAsciiDigit(character)) return 0;
    magnitude = magnitude * 10 + (character - '0');
    if (magnitude > std::int64_t{1} << 31) return 0;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return 0;
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::textOf(data, size);
  FUZZ_RULE(agent::parseParentPID(text) == expected(text));
  FUZZ_RULE(agent::parseParentPID(std::nullopt) == 0);
  // The same value with leading zeros reads the same.
  const std::int32_t value = agent::parseParentPID(text);
  if (value > 0) FUZZ_RULE(agent::parseParentPID("000" + std::to_string(value)) == value);
  return 0;
}
