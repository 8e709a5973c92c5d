#include "platform/macos/foundation_run_loop.h"

#import <Foundation/Foundation.h>

#include <utility>

namespace platform::macos {
namespace {

class FoundationTimer final : public platform::Timer {
 public:
  explicit FoundationTimer(NSTimer* timer) : timer(timer) {}

  // The run loop releases the timer, and the timer its block, once invalidated.
  void invalidate() override { [timer invalidate]; }
  bool isValid() const override { return [timer isValid]; }

 private:
  NSTimer* timer = nil;
};

}  // namespace

std::shared_ptr<platform::Timer> FoundationRunLoop::scheduleRepeatingTimer(
    double intervalSeconds, std::function<void()> callback) {
  // The block keeps its own copy of the callback, which holds the agent weakly.
  NSTimer* timer = [NSTimer scheduledTimerWithTimeInterval:intervalSeconds
                                                   repeats:YES
                                                     block:^(NSTimer* firing) {
                                                       (void)firing;
                                                       callback();
                                                     }];
  return std::make_shared<FoundationTimer>(timer);
}

}  // namespace platform::macos
