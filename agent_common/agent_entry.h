#pragma once

#include <memory>

#include "platform/desktop_platform.h"
#include "platform/platform.h"

namespace agent {

// What an entry point gives makeDesktopPlatform: the start-up wait is given
// up once the host named in the environment (see readParentPID) has gone,
// looked at as the watchdog would look: a period after start and every period
// after that. `hostGone` is set then.
platform::StartupAbandoned abandonOnceHostIsGone(bool& hostGone);

// The exit status of an agent whose platform did not start: 0 without a word
// when its host went meanwhile, else 1 after one line on standard error
// naming the program.
int platformDidNotStart(const char* programName, bool hostGone);

// The last steps of a process entry, after the agent's constants and its
// delegate exist: obtain the shared application, make the delegate its
// delegate and run it. The caller keeps the only strong reference to the
// delegate for as long as this runs. Returns the process exit status.
int runApplication(platform::Platform& platform,
                   const std::shared_ptr<platform::ApplicationDelegate>& delegate);

}  // namespace agent
