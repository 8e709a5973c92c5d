#include "platform/desktop_platform.h"

#include "platform/macos/macos_platform.h"

namespace platform {

// The status items need no connection on macOS, so the platform always starts
// at once, with no wait to abandon.
std::unique_ptr<Platform> makeDesktopPlatform(const std::string&, const StartupAbandoned&) {
  return std::make_unique<macos::MacosPlatform>();
}

}  // namespace platform
