#include "platform/linux/cairo_image.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "platform/linux/pango_graphics.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/title_pixmap.h"

namespace platform::linuxdesktop {
namespace {

struct Pixel {
  int x = 0;
  int y = 0;
  int alpha = 0;
  int red = 0;
  int green = 0;
  int blue = 0;
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

class CairoImageTest : public ::testing::Test {
 protected:
  CairoImage image(double width) { return CairoImage({width, 22.0}, engine); }

  std::shared_ptr<TextEngine> engine = std::make_shared<TextEngine>();
};

TEST_F(CairoImageTest, PixelSizeIsWholePointsTimesScale) {
  for (const auto& [width, scale, pixelWidth] :
       {std::tuple{57.0, 1, 57}, std::tuple{56.2, 1, 57}, std::tuple{56.2, 2, 114}}) {
    const Pixmap pixmap = image(width).render(scale);
    EXPECT_EQ(pixmap.width, pixelWidth) << width << " at " << scale;
    EXPECT_EQ(pixmap.height, 22 * scale);
    EXPECT_EQ(pixmap.argb.size(), static_cast<std::size_t>(pixelWidth * 22 * scale * 4));
  }
}

TEST_F(CairoImageTest, WhiteRateTextStaysWhiteInsideADarkOutlineAtItsPlace) {
  for (const auto& [scale, alpha] : {std::pair{1, 1.0}, std::pair{2, 0.72}}) {
    CairoImage drawn = image(60.0);
    drawn.drawText("123 KB/s", {10.0, 9.0}, kRateFont, {1.0, 1.0, 1.0, alpha});
    const Pixmap pixmap = drawn.render(scale);
    EXPECT_GT(countPixels(pixmap, isWhite), 10 * scale * scale) << alpha;
    EXPECT_GT(countPixels(pixmap, isDarkTranslucent), 10 * scale) << alpha;
    // Nothing, outline included, lies more than a point left of x = 10.
    EXPECT_EQ(countPixels(pixmap, [&](const Pixel& p) { return isInked(p) && p.x < 9 * scale; }),
              0);
  }
}

TEST_F(CairoImageTest, UploadArrowIsRedWithoutOutline) {
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

TEST_F(CairoImageTest, UnusableInputDrawsNothingAndNeverFails) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(CairoImage({nan, -5.0}, engine).render(1).argb.size(), 0u);
  CairoImage drawn = image(30.0);
  drawn.drawText("12", {0.0, 0.0}, {platform::FontFace::system, nan}, {1.0, 1.0, 1.0, 1.0});
  EXPECT_EQ(countPixels(drawn.render(1), isInked), 0);
  drawn.drawText(std::string("\xff"
                             "1\0"
                             "2",
                             4),
                 {0.0, 0.0}, kRateFont, {1.0, 1.0, 1.0, 1.0});
  EXPECT_GT(countPixels(drawn.render(7), isInked), 0);
}

TEST(TitlePixmapTest, ImageIsTheTextWidthRoundedUpPlusPaddingTimesScaleAnd22High) {
  PangoGraphics graphics;
  for (const char* title : {"醒┃", ""}) {
    const double points = std::ceil(graphics.textWidth(title, kTitleFont)) + 2 * kTitlePadding;
    for (const int scale : {1, 2}) {
      const Pixmap pixmap = renderTitle(title, kTitleFont, scale);
      EXPECT_EQ(pixmap.width, static_cast<int>(points) * scale) << title;
      EXPECT_EQ(pixmap.height, 22 * scale);
    }
  }
  EXPECT_EQ(countPixels(renderTitle("", kTitleFont, 1), isInked), 0);
}

TEST(TitlePixmapTest, BothCharactersOfACjkTitleAreInkedInWhiteWithOutline) {
  for (const char* title : {"醒┃", "眠╮"}) {
    const Pixmap pixmap = renderTitle(title, kTitleFont, 2);
    EXPECT_GT(countPixels(pixmap, isDarkTranslucent), 20) << title;
    // The Han character fills the left half, the box-drawing one the right.
    const int half = pixmap.width / 2;
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return isWhite(p) && p.x < half; }), 50);
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return isWhite(p) && p.x >= half; }), 5);
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
