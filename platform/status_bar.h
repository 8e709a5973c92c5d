#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics.h"

namespace platform {

enum class ImagePosition { noImage = 0, imageOnly = 1 };

// Masks for StatusBarButton::sendActionOn, AppKit numbering.
inline constexpr std::uint64_t kEventMaskLeftMouseUp = std::uint64_t{1} << 2;
inline constexpr std::uint64_t kEventMaskRightMouseUp = std::uint64_t{1} << 4;
inline constexpr std::uint64_t kEventMaskOtherMouseUp = std::uint64_t{1} << 26;

// A status item whose length follows its content.
inline constexpr double kVariableStatusItemLength = -1.0;

class Menu {
 public:
  virtual ~Menu() = default;
  // An empty action makes an entry that runs nothing when chosen.
  virtual void addItem(const std::string& title, std::function<void()> action,
                       const std::string& keyEquivalent, bool enabled) = 0;
  virtual void addSeparator() = 0;
};

// One line of a button's compact reading: a cue mark in its colour, then a
// short text. `widest` is at least as wide as any text the line can show, so
// that a tray sizing a label for it keeps the same width as the text changes.
struct CompactLine {
  std::string cue;
  Color cueColor;
  std::string text;
  std::string widest;
  bool operator==(const CompactLine&) const = default;
};

class StatusBarButton {
 public:
  virtual ~StatusBarButton() = default;
  // A null image removes the image.
  virtual void setImage(std::shared_ptr<Image> image) = 0;
  virtual void setImagePosition(ImagePosition position) = 0;
  virtual void setTitle(const std::string& title) = 0;
  virtual void setFont(const Font& font) = 0;
  virtual void setToolTip(const std::string& toolTip) = 0;
  // What the image shows in a few characters a line, top to bottom, for bars
  // that give an item only a small square (its first two lines) or a text
  // label beside a symbol (every line). Where the bar shows the image as drawn
  // this does nothing.
  virtual void setCompactReading(const std::vector<CompactLine>& lines) = 0;
  // The name of an icon of the desktop's icon theme (freedesktop naming, say
  // "network-transmit-receive") standing for the program, for bars that show
  // such an icon beside a text label instead of the image. Where the bar
  // shows the image this does nothing.
  virtual void setThemedIconName(const std::string& name) = 0;
  // Target and action in one: runs on the main thread when the button fires.
  virtual void setAction(std::function<void()> action) = 0;
  // Which mouse-button releases fire the action; the left release alone until set.
  virtual void sendActionOn(std::uint64_t mask) = 0;
  // Clicks the button: opens the attached menu if any, else fires the action.
  // Returns when the menu has closed.
  virtual void performClick() = 0;
};

class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // The item's button, owned by the item; nullptr when the item has none.
  virtual StatusBarButton* button() = 0;
  virtual void setLength(double length) = 0;
  virtual double length() const = 0;
  virtual void setVisible(bool visible) = 0;
  // Attaches a menu to the item (nullptr detaches it).
  virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
  // The menu a tray host opens by itself on a secondary click. Hosts that
  // open menus themselves need it before any click; where the item opens its
  // menu through setMenu and performClick this does nothing.
  virtual void setSecondaryClickMenu(std::shared_ptr<Menu> menu) = 0;
};

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  virtual std::shared_ptr<StatusItem> statusItem(double length) = 0;
  virtual std::shared_ptr<Menu> newMenu() = 0;
};

}  // namespace platform
