#include "platform/desktop_platform.h"

#include "platform/linux/linux_platform.h"

namespace platform {

std::unique_ptr<Platform> makeDesktopPlatform(const std::string& programName) {
  return linuxdesktop::LinuxPlatform::create(programName);
}

}  // namespace platform
