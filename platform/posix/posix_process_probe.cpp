#include "platform/posix/posix_process_probe.h"

#include <signal.h>

namespace platform::posix {

int PosixProcessProbe::probe(std::int32_t pid) {
  if (pid < 1) return -1;
  return ::kill(pid, 0);
}

}  // namespace platform::posix
