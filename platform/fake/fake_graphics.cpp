#include "platform/fake/fake_graphics.h"

namespace platform::fake {

void FakeImage::fill(const Color& color) {
  operations.push_back({DrawOperation::Kind::fill, "", {}, {}, color});
}

void FakeImage::drawText(const std::string& text, Point at, const Font& font, const Color& color) {
  operations.push_back({DrawOperation::Kind::text, text, at, font, color});
}

double FakeGraphics::ruleWidth(const std::string& text, const Font& font) {
  double width = 0.0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    char32_t codePoint = lead;
    if (lead >= 0xF0) {
      length = 4;
      codePoint = lead & 0x07;
    } else if (lead >= 0xE0) {
      length = 3;
      codePoint = lead & 0x0F;
    } else if (lead >= 0xC0) {
      length = 2;
      codePoint = lead & 0x1F;
    }
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
      codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    width += (codePoint >= 0x2E80 ? 1.0 : 0.5) * font.size;
    i += length;
  }
  return width;
}

double FakeGraphics::textWidth(const std::string& text, const Font& font) {
  ++measureCount;
  return ruleWidth(text, font);
}

std::shared_ptr<Image> FakeGraphics::newImage(Size size) {
  auto image = std::make_shared<FakeImage>(size);
  images.push_back(image);
  return image;
}

}  // namespace platform::fake
