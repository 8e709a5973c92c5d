#pragma once

#include <string_view>

namespace tools::hostsim {

// Prints "HH:MM:SS.mmm host: <text>" (local time) on stdout and flushes it,
// so that a test reading host-sim's output sees every line at once. Control
// characters in text are escaped (tools::escapedControls), here and below.
void printHostLine(std::string_view text);

// Prints "host-sim: <text>" on stderr.
void printHostError(std::string_view text);

}  // namespace tools::hostsim
