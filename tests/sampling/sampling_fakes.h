#pragma once

#include "platform/clock.h"

namespace agent::testing {

// Both clocks are set by the test; they move independently.
class FakeClock final : public platform::Clock {
 public:
  double uptimeSeconds() override {
    ++uptimeReads;
    return uptime;
  }
  double monotonicSeconds() override { return monotonic; }

  double uptime = 0.0;
  double monotonic = 0.0;
  int uptimeReads = 0;
};

}  // namespace agent::testing
