#include "platform/macos/appkit_running_applications.h"

namespace platform::macos {
namespace {

class AppKitRunningApplication final : public platform::RunningApplication {
 public:
  explicit AppKitRunningApplication(NSRunningApplication* application) : application(application) {}

  // The result (whether AppKit tried) is of no use to the agents.
  void activate(unsigned options) override {
    [application activateWithOptions:static_cast<NSApplicationActivationOptions>(options)];
  }

 private:
  NSRunningApplication* application = nil;
};

}  // namespace

std::unique_ptr<platform::RunningApplication> AppKitRunningApplications::find(std::int32_t pid) {
  NSRunningApplication* application =
      [NSRunningApplication runningApplicationWithProcessIdentifier:static_cast<pid_t>(pid)];
  if (application == nil) return nullptr;
  return std::make_unique<AppKitRunningApplication>(application);
}

}  // namespace platform::macos
