#include "platform/linux/linux_clock.h"

#include <time.h>

namespace platform::linuxdesktop {
namespace {

double monotonicNow() {
  timespec now{};
  // CLOCK_MONOTONIC cannot fail with a valid timespec; a zero reading is the
  // harmless answer should it ever do so.
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0.0;
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

double LinuxClock::uptimeSeconds() { return monotonicNow(); }

double LinuxClock::monotonicSeconds() { return monotonicNow(); }

}  // namespace platform::linuxdesktop
