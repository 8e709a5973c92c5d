#pragma once

#include "platform/clock.h"

namespace platform::macos {

// NSProcessInfo's systemUptime for both clocks: it never goes back, whatever
// is done to the wall clock.
class FoundationClock final : public platform::Clock {
 public:
  double uptimeSeconds() override;
  double monotonicSeconds() override;
};

}  // namespace platform::macos
