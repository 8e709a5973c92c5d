#include "platform/desktop_platform.h"

#include "platform/linux/linux_platform.h"

namespace platform {

std::unique_ptr<Platform> makeDesktopPlatform(const std::string& programName,
                                              const StartupAbandoned& abandoned) {
  return linuxdesktop::LinuxPlatform::create(programName, abandoned);
}

}  // namespace platform
