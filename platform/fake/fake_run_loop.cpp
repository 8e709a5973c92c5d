#include "platform/fake/fake_run_loop.h"

#include <algorithm>

namespace platform::fake {

FakeTimer::FakeTimer(double intervalSeconds, double firstFireAt, std::function<void()> callback,
                     CallLog& log)
    : intervalSeconds(intervalSeconds),
      nextFireAt(firstFireAt),
      callback(std::move(callback)),
      log(log) {}

void FakeTimer::invalidate() {
  log.add("timer.invalidate(" + formatNumber(intervalSeconds) + ")");
  valid = false;
  callback = nullptr;
}

std::shared_ptr<Timer> FakeRunLoop::scheduleRepeatingTimer(double intervalSeconds,
                                                           std::function<void()> callback) {
  log.add("scheduleTimer(" + formatNumber(intervalSeconds) + ")");
  auto timer = std::make_shared<FakeTimer>(intervalSeconds, clock.now + intervalSeconds,
                                           std::move(callback), log);
  timers.push_back(timer);
  return timer;
}

void FakeRunLoop::advance(double seconds) {
  const double target = clock.now + seconds;
  while (!processEnded) {
    std::shared_ptr<FakeTimer> due;
    for (const auto& timer : timers) {
      if (!timer->isValid() || timer->nextFireAt > target + 1e-9) continue;
      if (!due || timer->nextFireAt < due->nextFireAt) due = timer;
    }
    if (!due) break;
    clock.now = std::max(clock.now, due->nextFireAt);
    due->nextFireAt += due->intervalSeconds;
    ++due->fireCount;
    // The callback may invalidate its own timer, which releases the function
    // object: run a copy.
    std::function<void()> callback = due->callback;
    if (callback) callback();
  }
  clock.now = std::max(clock.now, target);
}

std::size_t FakeRunLoop::validTimerCount() const {
  return static_cast<std::size_t>(
      std::count_if(timers.begin(), timers.end(), [](const auto& t) { return t->isValid(); }));
}

}  // namespace platform::fake
