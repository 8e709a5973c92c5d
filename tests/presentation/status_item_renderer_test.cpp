#include "network_agent/presentation/status_item_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_graphics.h"

namespace agent {
namespace {

using platform::Color;
using platform::Font;
using platform::FontFace;
using platform::FontWeight;
using platform::fake::formatNumber;

std::string rgba(const Color& c) {
  return "rgba(" + formatNumber(c.red) + ", " + formatNumber(c.green) + ", " +
         formatNumber(c.blue) + ", " + formatNumber(c.alpha) + ")";
}

// One readable line per operation, with exact numbers, so a whole drawing
// compares in one assertion and a mismatch shows where it differs.
std::string textLine(const std::string& text, double x, double y, const Font& font,
                     const Color& color) {
  return "\"" + text + "\" at (" + formatNumber(x) + ", " + formatNumber(y) + ") " +
         (font.face == FontFace::system ? "system " : "digits ") + formatNumber(font.size) +
         " weight " + std::to_string(static_cast<int>(font.weight)) + " " + rgba(color);
}

TEST(StatusItemRenderer, DrawsArrowsRatesAndColumnsInOrderWithTheirFontsColoursAndPoints) {
  const Font arrowFont{FontFace::system, 8.0, FontWeight::medium};
  const Font rateFont{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
  const Font labelFont{FontFace::system, 6.5, FontWeight::regular};
  const Font valueFont{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
  const Color primary{1.0, 1.0, 1.0, 1.0};
  const Color secondary{1.0, 1.0, 1.0, 0.72};
  const Color metricValue{1.0, 1.0, 1.0, 0.86};
  platform::fake::FakeGraphics graphics;
  StatusItemRenderer renderer{graphics};
  // "2 KB/s" is 30 wide, "0 B/s" 25: the first column starts at 10 + 30 + 8.
  const auto image = renderer.image({1600.0, 0.0}, StatusMetrics{{"RAM", "63%"}, {"CPU", "--"}});

  ASSERT_EQ(graphics.images.size(), 1u);
  EXPECT_EQ(image, graphics.images[0]);
  EXPECT_EQ(image->size(), (platform::Size{104.0, 22.0}));
  std::vector<std::string> drawn;
  for (const auto& op : graphics.images[0]->operations) {
    drawn.push_back(op.kind == platform::fake::DrawOperation::Kind::fill
                        ? "fill " + rgba(op.color)
                        : textLine(op.text, op.at.x, op.at.y, op.font, op.color));
  }
  const std::vector<std::string> expected = {
      "fill " + rgba({0.0, 0.0, 0.0, 0.0}),
      textLine("↑", 0.0, 12.2, arrowFont, {1.0, 0.25, 0.19, 1.0}),
      textLine("↓", 0.0, 2.2, arrowFont, {0.11, 0.55, 1.0, 1.0}),
      textLine("2 KB/s", 10.0, 9.0, rateFont, primary),
      textLine("0 B/s", 10.0, -0.1, rateFont, primary),
      textLine("RAM", 48.0, 11.3, labelFont, secondary),
      textLine("63%", 48.0, 0.0, valueFont, metricValue),
      textLine("CPU", 76.0, 11.3, labelFont, secondary),
      textLine("--", 76.0, 0.0, valueFont, metricValue),
  };
  EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace agent
