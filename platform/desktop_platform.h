#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/environment.h"
#include "platform/platform.h"
#include "platform/process_probe.h"

namespace platform {

// Asked, with the process's environment and a process probe, while the
// platform waits to start (on Linux: for the session bus to answer); true
// gives the wait up, and makeDesktopPlatform returns nullptr at once.
using StartupAbandoned = std::function<bool(const Environment&, ProcessProbe&)>;

// The platform of the desktop the program was built for, connected and ready;
// nullptr when it cannot start (on Linux: no session bus, or one that has not
// answered within 5 seconds) or when `abandoned` gave the wait up, which it
// is asked about ten times a second. The program name identifies the agent's
// status item to the desktop.
std::unique_ptr<Platform> makeDesktopPlatform(const std::string& programName,
                                              const StartupAbandoned& abandoned = {});

}  // namespace platform
