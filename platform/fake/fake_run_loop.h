#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/fake/call_log.h"
#include "platform/run_loop.h"

namespace platform::fake {

// A clock that moves only when the test moves it. Uptime is monotonic time
// plus a fixed boot offset, so the two readings differ as on a real machine.
// Counts the uptime reads, so a test can tell which clock was read when.
class FakeClock : public Clock {
 public:
  double uptimeSeconds() override {
    ++uptimeReads;
    return bootOffsetSeconds + now;
  }
  double monotonicSeconds() override { return now; }

  double now = 1000.0;
  double bootOffsetSeconds = 0.5;
  int uptimeReads = 0;
};

class FakeTimer : public Timer {
 public:
  FakeTimer(double intervalSeconds, double firstFireAt, std::function<void()> callback,
            CallLog& log);
  void invalidate() override;
  bool isValid() const override { return valid; }

  double intervalSeconds = 0.0;
  double nextFireAt = 0.0;
  std::function<void()> callback;
  int fireCount = 0;

 private:
  bool valid = true;
  CallLog& log;
};

// Timers fire only when the test advances time, in due order, each at its own
// moment on the clock. Nothing fires once the process has ended.
class FakeRunLoop : public RunLoop {
 public:
  FakeRunLoop(FakeClock& clock, CallLog& log) : clock(clock), log(log) {}

  std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds,
                                                std::function<void()> callback) override;

  // Moves the clock forward, firing every timer that falls due on the way.
  void advance(double seconds);
  std::size_t validTimerCount() const;

  bool processEnded = false;

 private:
  FakeClock& clock;
  CallLog& log;
  std::vector<std::shared_ptr<FakeTimer>> timers;
};

}  // namespace platform::fake
