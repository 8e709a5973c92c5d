#pragma once

#import <AppKit/AppKit.h>

#include <functional>
#include <string>

#include "platform/status_bar.h"

@class VelmoraActionTarget;

namespace platform::macos {

// An NSMenu with AppKit's automatic enabling of items left on: an entry with
// an action and a target is enabled, one without is not.
class AppKitMenu final : public platform::Menu {
 public:
  AppKitMenu();

  // initWithTitle:action:keyEquivalent:, then setEnabled:.
  void addItem(const std::string& title, std::function<void()> action,
               const std::string& keyEquivalent, bool enabled) override;
  void addSeparator() override;

  NSMenu* nsMenu() const { return menu; }

 private:
  NSMenu* menu = nil;
  // The entries' targets, which NSMenuItem does not retain.
  NSMutableArray<VelmoraActionTarget*>* targets = nil;
};

}  // namespace platform::macos
