#pragma once

#include <string>

namespace tools::hostsim {

// Starts the agents the way the host application does: with
// QORVN_PARENT_PID set to this process's id. A started agent inherits the
// rest of the environment, stdout and stderr; its stdin is /dev/null and it
// inherits no other descriptor. Its exit is reported and reaped while the
// main loop runs; agents still running when host-sim ends are left alone
// (their own watchdog ends them).
class AgentLauncher {
 public:
  // Starts the program at path and prints "started NAME (pid N)".
  // Returns false, after printing the reason on stderr, when it cannot start.
  bool start(const std::string& path) const;
};

}  // namespace tools::hostsim
