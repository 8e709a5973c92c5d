#include "platform/fake/fake_application.h"

#include <string>

namespace platform::fake {

void FakeApplication::setActivationPolicy(ActivationPolicy policy) {
  log.add("setActivationPolicy(" + std::to_string(static_cast<int>(policy)) + ")");
  activationPolicy = policy;
}

void FakeApplication::setDelegate(std::weak_ptr<ApplicationDelegate> newDelegate) {
  log.add("setDelegate");
  delegate = std::move(newDelegate);
}

int FakeApplication::run() {
  log.add("run");
  if (const auto current = delegate.lock()) current->applicationDidFinishLaunching();
  return 0;
}

void FakeApplication::terminate() {
  log.add("terminate");
  ++terminateCount;
  if (terminated) return;
  terminated = true;
  if (const auto current = delegate.lock()) current->applicationWillTerminate();
  runLoop.processEnded = true;
}

}  // namespace platform::fake
