#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tools {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Otherwise
// the next descriptor opened, the bus socket, would take that number, and
// reading commands from stdin or printing lines would tear into the bus
// traffic. Call it first thing in main.
inline void openMissingStandardDescriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free number, which is this one: the lower
    // ones are open by now.
    const int opened = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
    if (opened > descriptor) {
      dup2(opened, descriptor);
      close(opened);
    }
  }
}

}  // namespace tools
