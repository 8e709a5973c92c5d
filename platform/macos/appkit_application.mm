#include "platform/macos/appkit_application.h"

#include <utility>

@interface VelmoraApplicationDelegate : NSObject <NSApplicationDelegate>
- (void)forwardTo:(std::weak_ptr<platform::ApplicationDelegate>)delegate;
@end

@implementation VelmoraApplicationDelegate {
  std::weak_ptr<platform::ApplicationDelegate> _delegate;
}

- (void)forwardTo:(std::weak_ptr<platform::ApplicationDelegate>)delegate {
  _delegate = std::move(delegate);
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  (void)notification;
  if (const auto alive = _delegate.lock()) alive->applicationDidFinishLaunching();
}

- (void)applicationWillTerminate:(NSNotification*)notification {
  (void)notification;
  if (const auto alive = _delegate.lock()) alive->applicationWillTerminate();
}

@end

namespace platform::macos {

AppKitApplication::AppKitApplication()
    : application([NSApplication sharedApplication]),
      forwarder([[VelmoraApplicationDelegate alloc] init]) {}

void AppKitApplication::setActivationPolicy(platform::ActivationPolicy policy) {
  [application setActivationPolicy:static_cast<NSApplicationActivationPolicy>(policy)];
}

void AppKitApplication::setDelegate(std::weak_ptr<platform::ApplicationDelegate> delegate) {
  [forwarder forwardTo:std::move(delegate)];
  [application setDelegate:forwarder];
}

int AppKitApplication::run() {
  [application run];
  return 0;
}

void AppKitApplication::terminate() { [application terminate:nil]; }

std::optional<platform::Event> AppKitApplication::currentEvent() const {
  NSEvent* event = [application currentEvent];
  if (event == nil) return std::nullopt;
  return platform::Event{.type = static_cast<int>([event type]),
                         .modifierFlags = static_cast<std::uint64_t>([event modifierFlags])};
}

}  // namespace platform::macos
