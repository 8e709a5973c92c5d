#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/call_log.h"
#include "platform/graphics.h"

namespace platform::fake {

struct DrawOperation {
  enum class Kind { fill, text };
  Kind kind = Kind::fill;
  std::string text;
  Point at;
  Font font;
  Color color;
};

class FakeImage : public Image {
 public:
  explicit FakeImage(Size size) : imageSize(size) {}
  Size size() const override { return imageSize; }
  void fill(const Color& color) override;
  void drawText(const std::string& text, Point at, const Font& font, const Color& color) override;

  std::vector<DrawOperation> operations;

 private:
  Size imageSize;
};

// Measures a text as 0.5 x the font size per character, and 1.0 x the size
// per CJK or other wide character (U+2E80 and up), whatever the face or
// weight; a test may override single widths.
class FakeGraphics : public Graphics {
 public:
  double textWidth(const std::string& text, const Font& font) override;
  std::shared_ptr<Image> newImage(Size size) override;

  // The width the fake gives a text by its rule.
  static double ruleWidth(const std::string& text, const Font& font);

  std::vector<std::shared_ptr<FakeImage>> images;
  int measureCount = 0;
};

}  // namespace platform::fake
