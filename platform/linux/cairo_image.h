#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/graphics.h"
#include "platform/linux/glib_handles.h"
#include "platform/linux/pixmap.h"

namespace platform::linuxdesktop {

class ShapedText;
class TextEngine;

// An image kept as the list of its drawing operations, so that it can be
// rendered sharply at any scale: a tray host asks for scale 1 and 2. Texts are
// shaped by the text engine, which keeps them for the next image, when drawn.
// Fonts, colours and positions stay exactly as asked.
class CairoImage : public platform::Image {
 public:
  // Larger sizes are cut down to this many points; negative or NaN ones are 0.
  static constexpr double kMaximumDimension = 4096.0;
  static constexpr int kMaximumScale = 4;

  CairoImage(platform::Size size, std::shared_ptr<TextEngine> engine);
  ~CairoImage() override;

  platform::Size size() const override;
  void fill(const platform::Color& color) override;
  void drawText(const std::string& text, platform::Point at, const platform::Font& font,
                const platform::Color& color) override;

  // Whether the other image draws exactly what this one draws, so that it
  // renders the same pixels at every scale: the same text engine and size,
  // and the same operations in the same order with the same texts, fonts,
  // positions and colours. Any new input of the rendering joins this
  // comparison.
  bool drawsSameAs(const CairoImage& other) const;

  // Renders the operations so far at `scale` pixels per point (clamped to
  // 1...kMaximumScale). The pixmap is ceil(width) * scale pixels wide and
  // ceil(height) * scale high, transparent where nothing was drawn.
  Pixmap render(int scale) const;
  // The same on the tray backdrop (see tray_backdrop.h), kBackdropPadding
  // points wider on either side; the scale may have a fraction, for a host
  // that shows icons at a height between the whole scales. Sizes are then
  // rounded to whole pixels.
  Pixmap renderOnBackdrop(double scale) const;

 private:
  struct FillOperation {
    platform::Color color;
    bool operator==(const FillOperation&) const = default;
  };
  struct TextOperation {
    // The text shaped in the font, which draws it.
    std::string text;
    platform::Font font;
    std::shared_ptr<const ShapedText> shaped;
    // Top-left corner of the line box, in cairo's y-down coordinates.
    double left = 0.0;
    double top = 0.0;
    platform::Color color;
    bool operator==(const TextOperation& other) const {
      return text == other.text && font == other.font && left == other.left && top == other.top &&
             color == other.color;
    }
  };
  using Operation = std::variant<FillOperation, TextOperation>;

  Pixmap render(double scale, bool onBackdrop) const;
  static void paint(cairo_t* cairo, const FillOperation& operation);
  static void paint(cairo_t* cairo, const TextOperation& operation);

  platform::Size imageSize;
  std::shared_ptr<TextEngine> engine;
  std::vector<Operation> operations;
};

}  // namespace platform::linuxdesktop
