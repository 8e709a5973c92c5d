#include "platform/macos/appkit_menu.h"

#include <utility>

#include "platform/macos/appkit_action_target.h"
#include "platform/macos/appkit_conversions.h"

namespace platform::macos {

AppKitMenu::AppKitMenu() : menu([[NSMenu alloc] init]), targets([NSMutableArray array]) {}

void AppKitMenu::addItem(const std::string& title, std::function<void()> action,
                         const std::string& keyEquivalent, bool enabled) {
  VelmoraActionTarget* target = nil;
  if (action) {
    target = [[VelmoraActionTarget alloc] initWithCallback:std::move(action)];
    [targets addObject:target];
  }
  NSMenuItem* item =
      [[NSMenuItem alloc] initWithTitle:toNSString(title)
                                 action:(target != nil ? @selector(performAction:) : nullptr)
                          keyEquivalent:toNSString(keyEquivalent)];
  [item setTarget:target];
  [item setEnabled:enabled];
  [menu addItem:item];
}

void AppKitMenu::addSeparator() { [menu addItem:[NSMenuItem separatorItem]]; }

}  // namespace platform::macos
