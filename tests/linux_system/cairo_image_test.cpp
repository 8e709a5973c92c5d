#include "platform/linux/cairo_image.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

#include <gtest/gtest.h>

#include "platform/linux/pango_graphics.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/title_pixmap.h"

namespace platform::linuxdesktop {
namespace {

struct Pixel {
  int x = 0, y = 0, alpha = 0, red = 0, green = 0, blue = 0;
};

int countPixels(const Pixmap& pixmap, const std::function<bool(const Pixel&)>& matches) {
  int count = 0;
  for (std::size_t at = 0; at + 4 <= pixmap.argb.size(); at += 4) {
    const int index = static_cast<int>(at / 4);
    count += matches({index % pixmap.width, index / pixmap.width, pixmap.argb[at],
                      pixmap.argb[at + 1], pixmap.argb[at + 2], pixmap.argb[at + 3]});
  }
  return count;
}

bool isInked(const Pixel& pixel) { return pixel.alpha > 0; }

// White and mostly covered (antialiased strokes of small text rarely cover a
// pixel completely); any grey from an outline underneath would fail it.
bool isWhite(const Pixel& pixel) {
  return pixel.alpha >= 160 && pixel.red >= 245 && pixel.green >= 245 && pixel.blue >= 245;
}

// The outline's colour: dark grey, partly transparent.
bool isDarkTranslucent(const Pixel& pixel) {
  return pixel.alpha > 0 && pixel.alpha < 200 && pixel.red < 100 && pixel.green < 100 &&
         pixel.blue < 100;
}

constexpr platform::Font kRateFont{platform::FontFace::monospacedDigitSystem, 10.0,
                                   platform::FontWeight::regular};
constexpr platform::Font kTitleFont{platform::FontFace::system, 14.0,
                                    platform::FontWeight::semibold};

CairoImage image(double width) { return CairoImage({width, 22.0}, std::make_shared<TextEngine>()); }

TEST(CairoImageTest, ImageIsWholePointsTimesScaleAndWhiteTextStaysWhiteInsideADarkOutline) {
  for (const auto& [scale, alpha] : {std::pair{1, 1.0}, std::pair{2, 0.72}}) {
    CairoImage drawn = image(56.2);
    drawn.drawText("123 KB/s", {10.0, 9.0}, kRateFont, {1.0, 1.0, 1.0, alpha});
    const Pixmap pixmap = drawn.render(scale);
    EXPECT_EQ(pixmap.width, 57 * scale);
    EXPECT_EQ(pixmap.height, 22 * scale);
    EXPECT_EQ(pixmap.argb.size(), static_cast<std::size_t>(57 * 22 * 4 * scale * scale));
    EXPECT_GT(countPixels(pixmap, isWhite), 10 * scale * scale) << alpha;
    EXPECT_GT(countPixels(pixmap, isDarkTranslucent), 10 * scale) << alpha;
    // Nothing, outline included, lies more than a point left of x = 10.
    EXPECT_EQ(countPixels(pixmap, [&](const Pixel& p) { return isInked(p) && p.x < 9 * scale; }),
              0);
  }
}

TEST(CairoImageTest, UploadArrowIsRedWithoutOutline) {
  CairoImage drawn = image(10.0);
  drawn.drawText("↑", {0.0, 12.2}, {platform::FontFace::system, 8.0}, {1.0, 0.25, 0.19, 1.0});
  const Pixmap pixmap = drawn.render(2);
  EXPECT_GT(countPixels(pixmap, [](const Pixel& p) { return p.alpha > 128 && p.red > 200; }), 4);
  EXPECT_EQ(countPixels(pixmap,
                        [](const Pixel& p) {
                          return isInked(p) && (p.red < 200 || p.green > 100 || p.blue > 100);
                        }),
            0);
}

TEST(TitlePixmapTest, TitleIsItsWidthRoundedUpPlusPaddingAnd22HighInWhiteOnAnOutline) {
  PangoGraphics graphics;
  for (const char* title : {"醒┃", "眠╮"}) {
    const double points = std::ceil(graphics.textWidth(title, kTitleFont)) + 2 * kTitlePadding;
    for (const int scale : {1, 2}) {
      const Pixmap pixmap = renderTitle(title, kTitleFont, scale);
      EXPECT_EQ(pixmap.width, static_cast<int>(points) * scale) << title;
      EXPECT_EQ(pixmap.height, 22 * scale);
    }
    // The Han character fills the left half, the box-drawing one the right.
    const Pixmap pixmap = renderTitle(title, kTitleFont, 2);
    EXPECT_GT(countPixels(pixmap, isDarkTranslucent), 20) << title;
    const int half = pixmap.width / 2;
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return isWhite(p) && p.x < half; }), 50);
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return isWhite(p) && p.x >= half; }), 5);
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
