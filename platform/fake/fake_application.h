#pragma once

#include <memory>
#include <optional>

#include "platform/application.h"
#include "platform/fake/call_log.h"
#include "platform/fake/fake_run_loop.h"

namespace platform::fake {

// run() launches the delegate and returns at once: the test then drives time
// and events. terminate() runs applicationWillTerminate once and ends the
// "process": no timer fires after it.
class FakeApplication : public Application {
 public:
  FakeApplication(FakeRunLoop& runLoop, CallLog& log) : runLoop(runLoop), log(log) {}

  void setActivationPolicy(ActivationPolicy policy) override;
  void setDelegate(std::weak_ptr<ApplicationDelegate> newDelegate) override;
  int run() override;
  void terminate() override;
  std::optional<Event> currentEvent() const override { return event; }

  // Makes an event current for the duration of a call, as event dispatch does.
  template <class F>
  void withCurrentEvent(std::optional<Event> current, F&& f) {
    const std::optional<Event> previous = event;
    event = current;
    f();
    event = previous;
  }

  bool terminated = false;
  int terminateCount = 0;
  std::optional<ActivationPolicy> activationPolicy;
  std::optional<Event> event;
  std::weak_ptr<ApplicationDelegate> delegate;

 private:
  FakeRunLoop& runLoop;
  CallLog& log;
};

}  // namespace platform::fake
