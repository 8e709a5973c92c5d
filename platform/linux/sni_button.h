#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// The status item's button: what it shows and what a click runs. It draws
// nothing itself; the item reads it to build the tray properties.
class SniButton : public platform::StatusBarButton {
 public:
  enum class Change { image, title, compactReading, toolTip };

  // changed runs after every setting that alters what a host may show: the
  // image (image, image position), the title (title, font), the compact
  // reading (only when its lines differ) or the tooltip. A setting equal to
  // the current one, or an image that draws the same as the current one (see
  // CairoImage::drawsSameAs), changes nothing and is not reported.
  explicit SniButton(std::function<void(Change)> changed);

  void setImage(std::shared_ptr<platform::Image> image) override;
  void setImagePosition(platform::ImagePosition position) override;
  void setTitle(const std::string& title) override;
  void setFont(const platform::Font& font) override;
  void setToolTip(const std::string& toolTip) override;
  void setCompactReading(const std::vector<platform::CompactLine>& lines) override;
  void setAction(std::function<void()> action) override;
  void sendActionOn(std::uint64_t mask) override;
  // A tray host opens an item's menus itself, so with a menu attached this
  // does nothing visible; without one it fires the action.
  void performClick() override;

  // Runs the action when the mask holds the release (a kEventMask... bit).
  void click(std::uint64_t releaseMask);
  void setMenuAttached(bool attached);

  // The image a host shows: none when unset or when the position hides it.
  const platform::Image* shownImage() const;
  const std::string& title() const { return currentTitle; }
  const platform::Font& font() const { return currentFont; }
  const std::string& toolTip() const { return currentToolTip; }
  const std::vector<platform::CompactLine>& compactReading() const { return currentReading; }

 private:
  void fire();

  std::function<void(Change)> changed;
  std::shared_ptr<platform::Image> image;
  platform::ImagePosition imagePosition = platform::ImagePosition::imageOnly;
  std::string currentTitle;
  // A status bar button's default font: the system font at the bar's size.
  platform::Font currentFont{platform::FontFace::system, 14.0, platform::FontWeight::regular};
  std::string currentToolTip;
  std::vector<platform::CompactLine> currentReading;
  std::function<void()> action;
  std::uint64_t actionMask = platform::kEventMaskLeftMouseUp;
  bool menuAttached = false;
};

}  // namespace platform::linuxdesktop
