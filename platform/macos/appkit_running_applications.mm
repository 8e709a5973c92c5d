#include "platform/macos/appkit_running_applications.h"

namespace platform::macos {
namespace {

class AppKitRunningApplication final : public platform::RunningApplication {
 public:
  explicit AppKitRunningApplication(NSRunningApplication* application) : application(application) {}

  // From macOS 14 an application comes forward only when the active one
  // yields to it, and "ignoring other apps" has no effect: the agent yields
  // what activation it has and names itself as the request's source. Where
  // that is refused, and before macOS 14, the older call asks as before. Its
  // result (whether AppKit tried) is of no use to the agents.
  void activate(unsigned options) override {
    const auto activationOptions = static_cast<NSApplicationActivationOptions>(options);
    if (@available(macOS 14, *)) {
      [NSApp yieldActivationToApplication:application];
      const auto withoutIgnoring = static_cast<NSApplicationActivationOptions>(
          options & ~platform::kActivateIgnoringOtherApps);
      if ([application activateFromApplication:[NSRunningApplication currentApplication]
                                       options:withoutIgnoring]) {
        return;
      }
    }
    [application activateWithOptions:activationOptions];
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
