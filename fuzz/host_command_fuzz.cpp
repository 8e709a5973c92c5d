// host-sim's input lines.
#include <glib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_rule.h"
#include "tools/host_sim/host_command.h"

namespace {

using tools::hostsim::HostCommand;
using tools::hostsim::ParsedLine;

constexpr std::string_view kBlanks = " \t";

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> result;
  std::size_t start = 0;
  while ((start = line.find_first_not_of(kBlanks, start)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, start), line.size());
    result.push_back(line.substr(start, end - start));
    start = end;
  }
  return result;
}

void checkOption(const ParsedLine& parsed, const std::vector<std::string_view>& parts,
                 HostCommand::Kind kind) {
  const bool valid = parts.size() == 2 && (parts[1] == "on" || parts[1] == "off");
  FUZZ_RULE(parsed.command.has_value() == valid);
  if (valid) FUZZ_RULE(parsed.command->kind == kind && parsed.command->on == (parts[1] == "on"));
}

// The status is everything after the one blank that follows "awake", verbatim.
void checkAwake(const ParsedLine& parsed, std::string_view line) {
  const std::string_view rest = line.substr(line.find("awake") + 5);
  if (rest.empty()) {
    FUZZ_RULE(parsed.command && parsed.command->kind == HostCommand::Kind::kAwake &&
              !parsed.command->status);
    return;
  }
  std::string_view status = rest.substr(1);
  if (status == "\"\"") status = {};
  const bool valid = g_utf8_validate(status.data(), static_cast<gssize>(status.size()), nullptr);
  FUZZ_RULE(parsed.command.has_value() == valid);
  if (valid) {
    FUZZ_RULE(parsed.command->kind == HostCommand::Kind::kAwake &&
              parsed.command->status == status);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view line = fuzz::textOf(data, size);
  const ParsedLine parsed = tools::hostsim::parseHostCommand(line);
  // A line is a command or an error, never both.
  FUZZ_RULE(!(parsed.command && !parsed.error.empty()));
  if (line.ends_with('\r')) line.remove_suffix(1);
  const std::vector<std::string_view> parts = words(line);
  if (parts.empty()) {
    FUZZ_RULE(!parsed.command && parsed.error.empty());
    return 0;
  }
  FUZZ_RULE(parsed.command || !parsed.error.empty());
  if (parts[0] == "ram") {
    checkOption(parsed, parts, HostCommand::Kind::kShowMemory);
  } else if (parts[0] == "cpu") {
    checkOption(parsed, parts, HostCommand::Kind::kShowCPU);
  } else if (parts[0] == "gpu") {
    checkOption(parsed, parts, HostCommand::Kind::kShowGPU);
  } else if (parts[0] == "awake") {
    checkAwake(parsed, line);
  } else if (parts[0] == "asleep" || parts[0] == "quit") {
    FUZZ_RULE(parsed.command.has_value() == (parts.size() == 1));
    const auto kind = parts[0] == "quit" ? HostCommand::Kind::kQuit : HostCommand::Kind::kAsleep;
    if (parsed.command) FUZZ_RULE(parsed.command->kind == kind);
  } else {
    FUZZ_RULE(!parsed.command);
  }
  return 0;
}
