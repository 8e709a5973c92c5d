#pragma once

#include <memory>
#include <string>

namespace platform {

enum class FontFace { system, monospacedDigitSystem };
enum class FontWeight { regular, medium, semibold };

// A font by description; each backend maps it to a real face. Sizes in points.
struct Font {
  FontFace face = FontFace::system;
  double size = 0.0;
  FontWeight weight = FontWeight::regular;
  bool operator==(const Font&) const = default;
};

// Components and alpha in 0...1.
struct Color {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 0.0;
  bool operator==(const Color&) const = default;
};

// Geometry in points, origin at the bottom-left corner, y growing upward.
struct Point {
  double x = 0.0;
  double y = 0.0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0.0;
  double height = 0.0;
  bool operator==(const Size&) const = default;
};

// An image being drawn and then handed to a status bar button. Transparent
// when created; never a template image (the bar shows its colours as drawn).
class Image {
 public:
  virtual ~Image() = default;
  virtual Size size() const = 0;
  // Fills the whole image with a colour, composited source-over.
  virtual void fill(const Color& color) = 0;
  // Draws a text whose line box has its lower-left corner at the point.
  virtual void drawText(const std::string& text, Point at, const Font& font,
                        const Color& color) = 0;
};

class Graphics {
 public:
  virtual ~Graphics() = default;
  // Width in points of a text drawn with the font alone as its attribute.
  virtual double textWidth(const std::string& text, const Font& font) = 0;
  virtual std::shared_ptr<Image> newImage(Size size) = 0;
};

}  // namespace platform
