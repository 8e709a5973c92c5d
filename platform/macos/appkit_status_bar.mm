#include "platform/macos/appkit_status_bar.h"

#include <utility>

#include "platform/macos/appkit_action_target.h"
#include "platform/macos/appkit_conversions.h"
#include "platform/macos/appkit_graphics.h"
#include "platform/macos/appkit_menu.h"

namespace platform::macos {

AppKitStatusBarButton::AppKitStatusBarButton(NSStatusBarButton* button) : button(button) {}

void AppKitStatusBarButton::setImage(std::shared_ptr<platform::Image> image) {
  auto* drawn = dynamic_cast<AppKitImage*>(image.get());
  [button setImage:(drawn != nullptr ? drawn->finishedImage() : nil)];
}

void AppKitStatusBarButton::setImagePosition(platform::ImagePosition position) {
  [button setImagePosition:static_cast<NSCellImagePosition>(position)];
}

void AppKitStatusBarButton::setTitle(const std::string& title) {
  [button setTitle:toNSString(title)];
}

void AppKitStatusBarButton::setFont(const platform::Font& font) { [button setFont:toNSFont(font)]; }

void AppKitStatusBarButton::setToolTip(const std::string& toolTip) {
  [button setToolTip:toNSString(toolTip)];
}

// The menu bar shows the image at its own width: no compact form is needed.
void AppKitStatusBarButton::setCompactReading(const std::vector<platform::CompactLine>&) {}

// The menu bar shows the image: a themed icon has no use there.
void AppKitStatusBarButton::setThemedIconName(const std::string&) {}

void AppKitStatusBarButton::setAction(std::function<void()> action) {
  target = [[VelmoraActionTarget alloc] initWithCallback:std::move(action)];
  [button setTarget:target];
  [button setAction:@selector(performAction:)];
}

void AppKitStatusBarButton::sendActionOn(std::uint64_t mask) {
  [button sendActionOn:static_cast<NSEventMask>(mask)];
}

void AppKitStatusBarButton::performClick() { [button performClick:nil]; }

AppKitStatusItem::AppKitStatusItem(NSStatusItem* item) : item(item) {}

platform::StatusBarButton* AppKitStatusItem::button() {
  NSStatusBarButton* current = [item button];
  if (current == nil) return nullptr;
  if (!buttonWrapper || buttonWrapper->nsButton() != current) {
    buttonWrapper = std::make_unique<AppKitStatusBarButton>(current);
  }
  return buttonWrapper.get();
}

void AppKitStatusItem::setLength(double length) { [item setLength:static_cast<CGFloat>(length)]; }

double AppKitStatusItem::length() const { return static_cast<double>([item length]); }

void AppKitStatusItem::setVisible(bool visible) { [item setVisible:visible]; }

void AppKitStatusItem::setMenu(std::shared_ptr<platform::Menu> menu) {
  const auto* appKitMenu = dynamic_cast<const AppKitMenu*>(menu.get());
  [item setMenu:(appKitMenu != nullptr ? appKitMenu->nsMenu() : nil)];
}

void AppKitStatusItem::setSecondaryClickMenu(std::shared_ptr<platform::Menu>) {}

std::shared_ptr<platform::StatusItem> AppKitStatusBar::statusItem(double length) {
  NSStatusItem* item =
      [[NSStatusBar systemStatusBar] statusItemWithLength:static_cast<CGFloat>(length)];
  return std::make_shared<AppKitStatusItem>(item);
}

std::shared_ptr<platform::Menu> AppKitStatusBar::newMenu() {
  return std::make_shared<AppKitMenu>();
}

}  // namespace platform::macos
