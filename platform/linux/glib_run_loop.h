#pragma once

#include "platform/run_loop.h"

namespace platform::linuxdesktop {

// Repeating timers on the default GLib main context, the one the application runs.
class GLibRunLoop : public platform::RunLoop {
 public:
  // The interval is rounded to whole milliseconds; a negative or NaN interval
  // counts as 0, an interval beyond what GLib can hold as the longest it can.
  std::shared_ptr<platform::Timer> scheduleRepeatingTimer(double intervalSeconds,
                                                          std::function<void()> callback) override;
};

}  // namespace platform::linuxdesktop
