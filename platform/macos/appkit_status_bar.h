#pragma once

#import <AppKit/AppKit.h>

#include <memory>

#include "platform/status_bar.h"

@class VelmoraActionTarget;

namespace platform::macos {

// The button of a status item, as AppKit hands it out.
class AppKitStatusBarButton final : public platform::StatusBarButton {
 public:
  explicit AppKitStatusBarButton(NSStatusBarButton* button);

  // An image not made by AppKitGraphics counts as none.
  void setImage(std::shared_ptr<platform::Image> image) override;
  void setImagePosition(platform::ImagePosition position) override;
  void setTitle(const std::string& title) override;
  void setFont(const platform::Font& font) override;
  void setToolTip(const std::string& toolTip) override;
  void setCompactReading(const std::vector<platform::CompactLine>& lines) override;
  void setThemedIconName(const std::string& name) override;
  void setAction(std::function<void()> action) override;
  void sendActionOn(std::uint64_t mask) override;
  void performClick() override;

  NSStatusBarButton* nsButton() const { return button; }

 private:
  NSStatusBarButton* button = nil;
  // The button's target, which NSControl does not retain.
  VelmoraActionTarget* target = nil;
};

// An item of the system status bar, held for as long as this object lives.
class AppKitStatusItem final : public platform::StatusItem {
 public:
  explicit AppKitStatusItem(NSStatusItem* item);

  // The item's button fetched afresh; nullptr when AppKit gives none.
  platform::StatusBarButton* button() override;
  void setLength(double length) override;
  double length() const override;
  void setVisible(bool visible) override;
  // A menu not made by this status bar detaches the item's menu.
  void setMenu(std::shared_ptr<platform::Menu> menu) override;
  // The item opens its menu through setMenu and performClick: nothing to do.
  void setSecondaryClickMenu(std::shared_ptr<platform::Menu> menu) override;

 private:
  NSStatusItem* item = nil;
  std::unique_ptr<AppKitStatusBarButton> buttonWrapper;
};

// NSStatusBar's systemStatusBar.
class AppKitStatusBar final : public platform::StatusBar {
 public:
  std::shared_ptr<platform::StatusItem> statusItem(double length) override;
  std::shared_ptr<platform::Menu> newMenu() override;
};

}  // namespace platform::macos
