#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tools::hostsim {

// One line of host-sim's input, understood.
struct HostCommand {
  enum class Kind { kShowMemory, kShowCPU, kShowGPU, kAwake, kAsleep, kQuit };

  Kind kind = Kind::kQuit;
  // The display option's new value (kShowMemory, kShowCPU, kShowGPU only).
  bool on = false;
  // The status phrase of kAwake; absent sends no "status" key at all.
  std::optional<std::string> status;
};

// The outcome of reading one line: a command, an error text for a line that
// is not one, or neither for a blank line.
struct ParsedLine {
  std::optional<HostCommand> command;
  std::string error;
};

// Reads one input line (without its line feed; a trailing carriage return is
// ignored). The words are "ram|cpu|gpu on|off", "awake [STATUS TEXT]",
// "asleep" and "quit". The status text is everything after the one space that
// follows "awake", kept verbatim; the text "" stands for an empty status.
ParsedLine parseHostCommand(std::string_view line);

}  // namespace tools::hostsim
