#pragma once

#import <AppKit/AppKit.h>

#include <memory>
#include <optional>

#include "platform/application.h"

@class VelmoraApplicationDelegate;

namespace platform::macos {

// The shared NSApplication. Its delegate is a small Objective-C object that
// forwards launching and termination to the agent's delegate, held weakly.
class AppKitApplication final : public platform::Application {
 public:
  // Obtains the shared application (sharedApplication), so it exists from here on.
  AppKitApplication();

  void setActivationPolicy(platform::ActivationPolicy policy) override;
  void setDelegate(std::weak_ptr<platform::ApplicationDelegate> delegate) override;
  // Returns only if AppKit's run loop ever returns; terminate() ends the process.
  int run() override;
  // terminate: with a nil sender: AppKit calls applicationWillTerminate and
  // then ends the process with status 0.
  void terminate() override;
  // The type and modifier flags of [NSApp currentEvent], AppKit numbering.
  std::optional<platform::Event> currentEvent() const override;

 private:
  NSApplication* application = nil;
  // NSApplication does not retain its delegate: this is its owner.
  VelmoraApplicationDelegate* forwarder = nil;
};

}  // namespace platform::macos
