#include "platform/linux/linux_running_applications.h"

#include <sys/stat.h>

#include <utility>

#include "platform/linux/x11_window_activation.h"

namespace platform::linuxdesktop {

namespace {

class LinuxRunningApplication : public platform::RunningApplication {
 public:
  explicit LinuxRunningApplication(std::int32_t pid) : pid(pid) {}
  void activate(unsigned) override { activateWindowsOf(pid); }

 private:
  std::int32_t pid = 0;
};

}  // namespace

LinuxRunningApplications::LinuxRunningApplications(std::string procRoot)
    : procRoot(std::move(procRoot)) {}

std::unique_ptr<platform::RunningApplication> LinuxRunningApplications::find(std::int32_t pid) {
  if (pid < 1) return nullptr;
  // Unlike kill(pid, 0), this also finds a process of another user, which
  // can still own windows worth bringing forward.
  const std::string path = procRoot + "/" + std::to_string(pid);
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return nullptr;
  return std::make_unique<LinuxRunningApplication>(pid);
}

}  // namespace platform::linuxdesktop
