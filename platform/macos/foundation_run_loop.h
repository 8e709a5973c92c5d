#pragma once

#include <functional>
#include <memory>

#include "platform/run_loop.h"

namespace platform::macos {

// Repeating NSTimers on the main run loop, in its default mode only, so they
// pause while a menu is open.
class FoundationRunLoop final : public platform::RunLoop {
 public:
  std::shared_ptr<platform::Timer> scheduleRepeatingTimer(double intervalSeconds,
                                                          std::function<void()> callback) override;
};

}  // namespace platform::macos
