#include "tools/host_sim/host_command.h"

#include <glib.h>

#include <array>
#include <utility>
#include <vector>

namespace tools::hostsim {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> result;
  while (!(text = trimmed(text)).empty()) {
    const auto end = text.find_first_of(kBlanks);
    result.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
  }
  return result;
}

ParsedLine failure(std::string error) { return ParsedLine{std::nullopt, std::move(error)}; }

ParsedLine command(HostCommand parsed) { return ParsedLine{std::move(parsed), {}}; }

ParsedLine parseAwake(std::string_view rest) {
  HostCommand awake{HostCommand::Kind::kAwake, false, std::nullopt};
  if (rest.empty()) return command(awake);
  // rest starts with the separator; the text after it is the phrase as typed.
  std::string_view text = rest.substr(1);
  if (text == "\"\"") text = {};
  // g_utf8_validate also refuses embedded NUL bytes, which a D-Bus string
  // cannot carry.
  if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return failure("the status text is not valid UTF-8");
  }
  awake.status = std::string{text};
  return command(awake);
}

ParsedLine parseOption(HostCommand::Kind kind, const std::vector<std::string_view>& parts) {
  if (parts.size() == 2 && (parts[1] == "on" || parts[1] == "off")) {
    return command(HostCommand{kind, parts[1] == "on", std::nullopt});
  }
  return failure("usage: " + std::string{parts[0]} + " on|off");
}

}  // namespace

ParsedLine parseHostCommand(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::string_view leading =
      line.substr(std::min(line.size(), line.find_first_not_of(kBlanks)));
  const auto parts = words(leading);
  if (parts.empty()) return {};

  static constexpr std::array<std::pair<std::string_view, HostCommand::Kind>, 3> kOptions{{
      {"ram", HostCommand::Kind::kShowMemory},
      {"cpu", HostCommand::Kind::kShowCPU},
      {"gpu", HostCommand::Kind::kShowGPU},
  }};
  for (const auto& [word, kind] : kOptions) {
    if (parts[0] == word) return parseOption(kind, parts);
  }
  if (parts[0] == "awake") return parseAwake(leading.substr(parts[0].size()));
  if (parts.size() == 1 && parts[0] == "asleep") {
    return command(HostCommand{HostCommand::Kind::kAsleep, false, std::nullopt});
  }
  if (parts.size() == 1 && parts[0] == "quit") return command(HostCommand{});
  return failure("unknown command: " + std::string{trimmed(line)});
}

}  // namespace tools::hostsim
