#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/linux/glib_ids.h"
#include "platform/run_loop.h"

namespace platform::linuxdesktop {

// A repeating timer on the default main context at default priority. While
// valid, the main loop holds a strong reference to it through its source, so
// it fires whether or not anyone else keeps it.
//
// Ticks keep to a fixed grid: the n-th is due n intervals after the start,
// taken to the next whole millisecond, however late the ones before it ran;
// a tick missed altogether is skipped. A timer started within 50 ms after
// another takes that one's start as its own. So timers started together
// whose intervals are multiples of one another (the refresh every second,
// the watchdog every two) fire in the same main-loop turn, with one wakeup,
// for as long as they run; none fires sooner than its interval after the
// first of them started, the later ones at most 50 ms sooner after their own.
class GLibTimer : public platform::Timer, public std::enable_shared_from_this<GLibTimer> {
 public:
  // Made through start(): the source must be able to reference the timer.
  GLibTimer(std::function<void()> callback, std::chrono::microseconds interval);

  // Creates the timer and attaches its source; an interval below 1 ms fires
  // on every main-loop turn that has nothing more urgent to do.
  static std::shared_ptr<GLibTimer> start(std::chrono::milliseconds interval,
                                          std::function<void()> callback);

  void invalidate() override;
  bool isValid() const override;

 private:
  // The monotonic time (GLib's microseconds) of the first grid tick after now.
  gint64 nextTickAfter(gint64 now) const;
  static gboolean fire(gpointer data);
  static void dropReference(gpointer data);

  std::function<void()> callback;
  std::chrono::microseconds interval{0};
  gint64 startedAt = 0;
  SourceId source;
};

}  // namespace platform::linuxdesktop
