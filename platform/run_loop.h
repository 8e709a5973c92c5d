#pragma once

#include <functional>
#include <memory>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  // Stops the timer for good; its callback is released. Calling it twice is harmless.
  virtual void invalidate() = 0;
  virtual bool isValid() const = 0;
};

class RunLoop {
 public:
  virtual ~RunLoop() = default;

  // Schedules a repeating timer on the main loop. The loop keeps the timer
  // alive until it is invalidated, whether or not the caller keeps the handle,
  // so the callback should hold what it needs weakly.
  virtual std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds,
                                                        std::function<void()> callback) = 0;
};

}  // namespace platform
