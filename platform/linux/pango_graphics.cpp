#include "platform/linux/pango_graphics.h"

#include <utility>

#include "platform/linux/cairo_image.h"
#include "platform/linux/text_engine.h"

namespace platform::linuxdesktop {

PangoGraphics::PangoGraphics() : engine(std::make_shared<TextEngine>()) {}

PangoGraphics::PangoGraphics(std::shared_ptr<TextEngine> engine) : engine(std::move(engine)) {}

PangoGraphics::~PangoGraphics() = default;

double PangoGraphics::textWidth(const std::string& text, const platform::Font& font) {
  const PangoLayoutPtr layout = engine->layout(text, font);
  if (!layout) return 0.0;
  return TextEngine::logicalSize(layout.get()).width;
}

std::shared_ptr<platform::Image> PangoGraphics::newImage(platform::Size size) {
  return std::make_shared<CairoImage>(size, engine);
}

}  // namespace platform::linuxdesktop
