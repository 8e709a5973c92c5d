#include "platform/linux/glib_run_loop.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/linux/glib_timer.h"

namespace platform::linuxdesktop {

namespace {

std::chrono::milliseconds toMilliseconds(double seconds) {
  constexpr double kLongest = static_cast<double>(std::numeric_limits<guint>::max());
  const double milliseconds = std::round(seconds * 1000.0);
  if (!(milliseconds > 0.0)) return std::chrono::milliseconds{0};
  if (milliseconds >= kLongest)
    return std::chrono::milliseconds{static_cast<std::int64_t>(kLongest)};
  return std::chrono::milliseconds{static_cast<std::int64_t>(milliseconds)};
}

}  // namespace

std::shared_ptr<platform::Timer> GLibRunLoop::scheduleRepeatingTimer(
    double intervalSeconds, std::function<void()> callback) {
  return GLibTimer::start(toMilliseconds(intervalSeconds), std::move(callback));
}

}  // namespace platform::linuxdesktop
