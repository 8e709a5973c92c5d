#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/running_applications.h"

namespace platform::linuxdesktop {

// Running applications as processes: a process id names one while
// <procRoot>/<pid> exists. Activating it brings its X11 windows forward (see
// x11_window_activation.h), whatever the options: the one option the agents
// use asks for exactly that.
class LinuxRunningApplications : public platform::RunningApplications {
 public:
  explicit LinuxRunningApplications(std::string procRoot = "/proc");

  // nullptr for an id below 1 or a process that does not exist.
  std::unique_ptr<platform::RunningApplication> find(std::int32_t pid) override;

 private:
  std::string procRoot = "/proc";
};

}  // namespace platform::linuxdesktop
