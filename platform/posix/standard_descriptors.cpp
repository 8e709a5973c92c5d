#include "platform/posix/standard_descriptors.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace platform::posix {

void openMissingStandardDescriptors() {
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

}  // namespace platform::posix
