#pragma once

#include <memory>

#include "platform/platform.h"

namespace agent {

// The last steps of a process entry, after the agent's constants and its
// delegate exist: obtain the shared application, make the delegate its
// delegate and run it. The caller keeps the only strong reference to the
// delegate for as long as this runs. Returns the process exit status.
int runApplication(platform::Platform& platform,
                   const std::shared_ptr<platform::ApplicationDelegate>& delegate);

}  // namespace agent
