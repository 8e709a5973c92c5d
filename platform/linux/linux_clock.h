#pragma once

#include "platform/clock.h"

namespace platform::linuxdesktop {

// Both readings come from CLOCK_MONOTONIC: seconds since boot, not counting
// suspend, and never set back with the wall clock.
class LinuxClock : public platform::Clock {
 public:
  double uptimeSeconds() override;
  double monotonicSeconds() override;
};

}  // namespace platform::linuxdesktop
