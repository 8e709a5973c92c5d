#include "platform/linux/pango_graphics.h"

#include <utility>

#include "platform/linux/cairo_image.h"
#include "platform/linux/text_engine.h"

namespace platform::linuxdesktop {

PangoGraphics::PangoGraphics() : engine(std::make_shared<TextEngine>()) {}

PangoGraphics::PangoGraphics(std::shared_ptr<TextEngine> engine) : engine(std::move(engine)) {}

PangoGraphics::~PangoGraphics() = default;

double PangoGraphics::textWidth(const std::string& text, const platform::Font& font) {
  const std::shared_ptr<const ShapedText> shaped = engine->shaped(text, font);
  return shaped ? shaped->logicalSize().width : 0.0;
}

std::shared_ptr<platform::Image> PangoGraphics::newImage(platform::Size size) {
  return std::make_shared<CairoImage>(size, engine);
}

}  // namespace platform::linuxdesktop
