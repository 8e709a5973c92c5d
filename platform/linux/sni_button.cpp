#include "platform/linux/sni_button.h"

#include <utility>

#include "platform/linux/cairo_image.h"

namespace platform::linuxdesktop {

namespace {

// Whether two images surely show the same pixels: none twice, or two that
// draw the same. One image set again may have been drawn on meanwhile.
bool samePicture(const platform::Image* a, const platform::Image* b) {
  if (a == b) return a == nullptr;
  const auto* first = dynamic_cast<const CairoImage*>(a);
  const auto* second = dynamic_cast<const CairoImage*>(b);
  return first != nullptr && second != nullptr && first->drawsSameAs(*second);
}

std::uint64_t releaseMaskOf(int eventType) {
  switch (eventType) {
    case platform::kEventTypeLeftMouseUp:
      return platform::kEventMaskLeftMouseUp;
    case platform::kEventTypeRightMouseUp:
      return platform::kEventMaskRightMouseUp;
    case platform::kEventTypeOtherMouseUp:
      return platform::kEventMaskOtherMouseUp;
    default:
      return 0;
  }
}

}  // namespace

SniButton::SniButton(SniPropertyPipeline& pipeline, CurrentEvent& events)
    : pipeline(pipeline), events(events) {}

void SniButton::setImage(std::shared_ptr<platform::Image> newImage) {
  const bool same = samePicture(image.get(), newImage.get());
  image = std::move(newImage);
  showImage(!same);
}

void SniButton::setImagePosition(platform::ImagePosition position) {
  if (std::exchange(imagePosition, position) != position) showImage(true);
}

void SniButton::showImage(bool changed) {
  const bool hidden = imagePosition == platform::ImagePosition::noImage;
  pipeline.editContent().image = hidden ? nullptr : image;
  if (changed) pipeline.changed(TrayChange::image);
}

void SniButton::setTitle(const std::string& title) {
  if (pipeline.content().title == title) return;
  pipeline.editContent().title = title;
  pipeline.changed(TrayChange::title);
}

void SniButton::setFont(const platform::Font& font) {
  if (std::exchange(pipeline.editContent().font, font) != font) {
    pipeline.changed(TrayChange::title);
  }
}

void SniButton::setToolTip(const std::string& toolTip) {
  if (pipeline.content().toolTip == toolTip) return;
  pipeline.editContent().toolTip = toolTip;
  pipeline.changed(TrayChange::toolTip);
}

void SniButton::setCompactReading(const std::vector<platform::CompactLine>& lines) {
  // Set on every refresh and mostly unchanged: only a change is worth a
  // redraw.
  if (pipeline.content().compactReading == lines) return;
  pipeline.editContent().compactReading = lines;
  pipeline.changed(TrayChange::compactReading);
}

void SniButton::setThemedIconName(const std::string& name) {
  if (pipeline.content().themedIconName == name) return;
  pipeline.editContent().themedIconName = name;
  pipeline.changed(TrayChange::themedIconName);
}

void SniButton::setAction(std::function<void()> newAction) { action = std::move(newAction); }

void SniButton::sendActionOn(std::uint64_t mask) { actionMask = mask; }

void SniButton::performClick() {
  if (!menuAttached) fire();
}

void SniButton::hostClicked(int eventType) {
  // While a menu is attached a click belongs to the menu, which the host opens.
  if (menuAttached || (actionMask & releaseMaskOf(eventType)) == 0) return;
  // Tray hosts send no modifier keys.
  const CurrentEvent::Scope scope{events, platform::Event{eventType, 0}};
  fire();
}

void SniButton::setMenuAttached(bool attached) { menuAttached = attached; }

void SniButton::fire() {
  // A copy: the action may replace itself while it runs.
  const std::function<void()> running = action;
  if (running) running();
}

}  // namespace platform::linuxdesktop
