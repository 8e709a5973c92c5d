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
class GLibTimer : public platform::Timer, public std::enable_shared_from_this<GLibTimer> {
 public:
  // Made through start(): the source must be able to reference the timer.
  explicit GLibTimer(std::function<void()> callback);

  // Creates the timer and attaches its source; an interval below 1 ms fires
  // on every main-loop turn that has nothing more urgent to do.
  static std::shared_ptr<GLibTimer> start(std::chrono::milliseconds interval,
                                          std::function<void()> callback);

  void invalidate() override;
  bool isValid() const override;

 private:
  static gboolean fire(gpointer data);
  static void dropReference(gpointer data);

  std::function<void()> callback;
  SourceId source;
};

}  // namespace platform::linuxdesktop
