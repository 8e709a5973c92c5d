#include "platform/linux/title_pixmap.h"

#include <cmath>
#include <memory>

#include "platform/linux/cairo_image.h"
#include "platform/linux/text_engine.h"

namespace platform::linuxdesktop {
namespace {

constexpr platform::Color kWhite{.red = 1.0, .green = 1.0, .blue = 1.0, .alpha = 1.0};

}  // namespace

Pixmap renderTitle(const std::string& title, const platform::Font& font, double scale,
                   const std::shared_ptr<TextEngine>& engine) {
  const std::shared_ptr<const ShapedText> shaped = engine->shaped(title, font);
  const platform::Size text = shaped ? shaped->logicalSize() : platform::Size{};
  CairoImage image({.width = std::ceil(text.width) + 2 * kTitlePadding, .height = kTitleHeight},
                   engine);
  image.drawText(title, {.x = kTitlePadding, .y = (kTitleHeight - text.height) / 2}, font, kWhite);
  return image.renderOnBackdrop(scale);
}

}  // namespace platform::linuxdesktop
