#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

// The platform of the desktop the program was built for, connected and ready;
// nullptr when it cannot start (on Linux: no session bus). The program name
// identifies the agent's status item to the desktop.
std::unique_ptr<Platform> makeDesktopPlatform(const std::string& programName);

}  // namespace platform
