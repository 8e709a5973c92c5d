#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/fake/call_log.h"
#include "platform/status_bar.h"

namespace platform::fake {

class FakeApplication;

class FakeMenu : public Menu {
 public:
  struct Entry {
    std::string title;
    std::function<void()> action;
    std::string keyEquivalent;
    bool enabled = true;
    bool separator = false;
  };

  explicit FakeMenu(CallLog& log) : log(log) {}
  void addItem(const std::string& title, std::function<void()> action,
               const std::string& keyEquivalent, bool enabled) override;
  void addSeparator() override;

  // Chooses the entry with the title as a user would: a disabled entry, or
  // one without an action, cannot be chosen. Returns whether an action ran.
  bool choose(const std::string& title);

  std::vector<Entry> entries;

 private:
  CallLog& log;
};

class FakeStatusItem;

class FakeButton : public StatusBarButton {
 public:
  FakeButton(FakeStatusItem& item, FakeApplication& application, CallLog& log)
      : item(item), application(application), log(log) {}

  void setImage(std::shared_ptr<Image> newImage) override;
  void setImagePosition(ImagePosition position) override;
  void setTitle(const std::string& newTitle) override;
  void setFont(const Font& newFont) override;
  void setToolTip(const std::string& newToolTip) override;
  // These two are recorded only: the call log stays what the image and the
  // tooltip make it.
  void setCompactReading(const std::vector<CompactLine>& lines) override { compactReading = lines; }
  void setThemedIconName(const std::string& name) override { themedIconName = name; }
  void setAction(std::function<void()> newAction) override;
  void sendActionOn(std::uint64_t mask) override;
  void performClick() override;

  // A mouse-button release on the button, as the system delivers it: opens
  // the attached menu, or runs the action when the mask holds the release,
  // with the event current while it runs.
  void release(Event event);

  std::shared_ptr<Image> image;
  ImagePosition imagePosition = ImagePosition::noImage;
  std::string title;
  std::optional<Font> font;
  std::string toolTip;
  std::vector<CompactLine> compactReading;
  std::string themedIconName;
  std::function<void()> action;
  std::uint64_t actionMask = kEventMaskLeftMouseUp;

  // Runs while an attached menu is open (performClick returns after it), so a
  // test can choose an entry as the user would.
  std::function<void(FakeMenu&)> whileMenuOpen;

 private:
  FakeStatusItem& item;
  FakeApplication& application;
  CallLog& log;
};

class FakeStatusItem : public StatusItem {
 public:
  FakeStatusItem(bool withButton, FakeApplication& application, CallLog& log);

  StatusBarButton* button() override { return buttonObject.get(); }
  void setLength(double newLength) override;
  double length() const override { return currentLength; }
  void setVisible(bool newVisible) override;
  void setMenu(std::shared_ptr<Menu> newMenu) override;
  void setSecondaryClickMenu(std::shared_ptr<Menu> newMenu) override;

  FakeButton* fakeButton() { return buttonObject.get(); }
  FakeMenu* attachedMenu() const { return static_cast<FakeMenu*>(menu.get()); }

  double currentLength = 0.0;
  bool visible = false;
  std::shared_ptr<Menu> menu;
  std::shared_ptr<Menu> secondaryClickMenu;

 private:
  std::unique_ptr<FakeButton> buttonObject;
  CallLog& log;
};

class FakeStatusBar : public StatusBar {
 public:
  FakeStatusBar(FakeApplication& application, CallLog& log) : application(application), log(log) {}

  std::shared_ptr<StatusItem> statusItem(double length) override;
  std::shared_ptr<Menu> newMenu() override;

  // Whether the next items get a button (a status bar may give none).
  bool itemsHaveButtons = true;
  std::vector<std::shared_ptr<FakeStatusItem>> items;

 private:
  FakeApplication& application;
  CallLog& log;
};

}  // namespace platform::fake
