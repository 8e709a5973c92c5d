#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/current_event.h"
#include "platform/linux/sni_property_pipeline.h"
#include "platform/status_bar.h"

namespace platform::linuxdesktop {

// The status item's button: what it shows, kept as the pipeline's content,
// and what a click runs. It draws nothing itself.
class SniButton : public platform::StatusBarButton {
 public:
  // Every setting that alters what a host may show is reported to the
  // pipeline: the image (image, image position), the title (title, font),
  // the compact reading (only when its lines differ), the tooltip or the
  // themed icon's name. A setting equal to the current one, or an image that
  // draws the same as the current one (see CairoImage::drawsSameAs), changes
  // nothing and is not reported. Both are borrowed and must outlive the
  // button.
  SniButton(SniPropertyPipeline& pipeline, CurrentEvent& events);

  void setImage(std::shared_ptr<platform::Image> image) override;
  void setImagePosition(platform::ImagePosition position) override;
  void setTitle(const std::string& title) override;
  void setFont(const platform::Font& font) override;
  void setToolTip(const std::string& toolTip) override;
  void setCompactReading(const std::vector<platform::CompactLine>& lines) override;
  void setThemedIconName(const std::string& name) override;
  void setAction(std::function<void()> action) override;
  void sendActionOn(std::uint64_t mask) override;
  // A tray host opens an item's menus itself, so with a menu attached this
  // does nothing visible; without one it fires the action.
  void performClick() override;

  // A click reported by a host, as the AppKit type of the mouse release
  // (platform::kEventType...): runs the action, with the event current, when
  // the mask holds the release and no menu is attached.
  void hostClicked(int eventType);
  void setMenuAttached(bool attached);

 private:
  // Hands the shown image to the content; reports a change when `changed`.
  void showImage(bool changed);
  void fire();

  SniPropertyPipeline& pipeline;
  CurrentEvent& events;
  std::shared_ptr<platform::Image> image;
  platform::ImagePosition imagePosition = platform::ImagePosition::imageOnly;
  std::function<void()> action;
  std::uint64_t actionMask = platform::kEventMaskLeftMouseUp;
  bool menuAttached = false;
};

}  // namespace platform::linuxdesktop
