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

}  // namespace

SniButton::SniButton(std::function<void(Change)> changed) : changed(std::move(changed)) {}

void SniButton::setImage(std::shared_ptr<platform::Image> newImage) {
  const bool same = samePicture(image.get(), newImage.get());
  image = std::move(newImage);
  if (!same) changed(Change::image);
}

void SniButton::setImagePosition(platform::ImagePosition position) {
  if (std::exchange(imagePosition, position) != position) changed(Change::image);
}

void SniButton::setTitle(const std::string& title) {
  if (currentTitle == title) return;
  currentTitle = title;
  changed(Change::title);
}

void SniButton::setFont(const platform::Font& font) {
  if (std::exchange(currentFont, font) != font) changed(Change::title);
}

void SniButton::setToolTip(const std::string& toolTip) {
  if (currentToolTip == toolTip) return;
  currentToolTip = toolTip;
  changed(Change::toolTip);
}

void SniButton::setCompactReading(const std::vector<platform::CompactLine>& lines) {
  // Set on every refresh and mostly unchanged: only a change is worth a
  // redraw.
  if (lines == currentReading) return;
  currentReading = lines;
  changed(Change::compactReading);
}

void SniButton::setAction(std::function<void()> newAction) { action = std::move(newAction); }

void SniButton::sendActionOn(std::uint64_t mask) { actionMask = mask; }

void SniButton::performClick() {
  if (!menuAttached) fire();
}

void SniButton::click(std::uint64_t releaseMask) {
  // While a menu is attached a click belongs to the menu, which the host opens.
  if (menuAttached || (actionMask & releaseMask) == 0) return;
  fire();
}

void SniButton::setMenuAttached(bool attached) { menuAttached = attached; }

const platform::Image* SniButton::shownImage() const {
  if (imagePosition == platform::ImagePosition::noImage) return nullptr;
  return image.get();
}

void SniButton::fire() {
  // A copy: the action may replace itself while it runs.
  const std::function<void()> running = action;
  if (running) running();
}

}  // namespace platform::linuxdesktop
