#pragma once

#include <memory>
#include <string>

#include "platform/graphics.h"

namespace platform::linuxdesktop {

class TextEngine;

// Graphics over Pango and cairo. Measuring and the images it makes share one
// TextEngine (font map, context, font descriptions), which images keep alive
// for as long as they exist.
class PangoGraphics : public platform::Graphics {
 public:
  PangoGraphics();
  explicit PangoGraphics(std::shared_ptr<TextEngine> engine);
  ~PangoGraphics() override;

  // The logical width of the laid-out text in points, unrounded; 0 for a font
  // the engine cannot use.
  double textWidth(const std::string& text, const platform::Font& font) override;

  // A CairoImage (see cairo_image.h) of the size.
  std::shared_ptr<platform::Image> newImage(platform::Size size) override;

 private:
  std::shared_ptr<TextEngine> engine;
};

}  // namespace platform::linuxdesktop
