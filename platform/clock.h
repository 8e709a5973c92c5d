#pragma once

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since boot.
  virtual double uptimeSeconds() = 0;
  // Seconds on a clock that never goes back, whatever is done to the wall clock.
  virtual double monotonicSeconds() = 0;
};

}  // namespace platform
