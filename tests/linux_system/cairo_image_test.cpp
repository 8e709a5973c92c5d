#include "platform/linux/cairo_image.h"

#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "platform/linux/text_engine.h"
#include "tests/linux_system/pixel_probe.h"

namespace platform::linuxdesktop {
namespace {

using testing::countPixels;
using testing::inkedRows;
using testing::isDarkTranslucent;
using testing::isInked;
using testing::isWhite;
using testing::Pixel;
using testing::pixelAt;

constexpr platform::Font kArrowFont{platform::FontFace::system, 8.0, platform::FontWeight::medium};
constexpr platform::Font kRateFont{platform::FontFace::monospacedDigitSystem, 10.0,
                                   platform::FontWeight::regular};
constexpr platform::Font kLabelFont{platform::FontFace::system, 6.5, platform::FontWeight::regular};
constexpr platform::Color kWhite{1.0, 1.0, 1.0, 1.0};
constexpr platform::Color kUploadColor{1.0, 0.25, 0.19, 1.0};
constexpr platform::Color kDownloadColor{0.11, 0.55, 1.0, 1.0};

class CairoImageTest : public ::testing::Test {
 protected:
  CairoImage image(double width) { return CairoImage({width, 22.0}, engine); }

  std::shared_ptr<TextEngine> engine = std::make_shared<TextEngine>();
};

TEST_F(CairoImageTest, PixelSizeIsWholePointsTimesScale) {
  struct Case {
    double width;
    int scale;
    int pixelWidth;
  };
  for (const Case& c : {Case{57.0, 1, 57}, Case{57.0, 2, 114}, Case{56.2, 1, 57},
                        Case{56.2, 2, 114}, Case{10.0, 2, 20}}) {
    const Pixmap pixmap = image(c.width).render(c.scale);
    EXPECT_EQ(pixmap.width, c.pixelWidth) << c.width << " at " << c.scale;
    EXPECT_EQ(pixmap.height, 22 * c.scale);
    EXPECT_EQ(pixmap.argb.size(), static_cast<std::size_t>(c.pixelWidth * 22 * c.scale * 4));
  }
}

TEST_F(CairoImageTest, NewImageIsTransparentAndClearFillKeepsItSo) {
  CairoImage drawn = image(30.0);
  drawn.fill({0.0, 0.0, 0.0, 0.0});
  EXPECT_EQ(countPixels(drawn.render(2), isInked), 0);
}

TEST_F(CairoImageTest, FillCoversEveryPixelAsStraightAlphaArgbBytes) {
  struct Case {
    platform::Color color;
    Pixel expected;
  };
  for (const Case& c : {Case{{0.0, 0.0, 1.0, 1.0}, {255, 0, 0, 255}},
                        Case{{1.0, 0.5, 0.0, 0.5}, {128, 255, 128, 0}},
                        Case{{2.0, -1.0, 0.0, 1.0}, {255, 255, 0, 0}}}) {
    CairoImage drawn = image(12.0);
    drawn.fill(c.color);
    const Pixmap pixmap = drawn.render(1);
    EXPECT_EQ(countPixels(pixmap,
                          [&](const Pixel& p) {
                            return p.alpha == c.expected.alpha && p.red == c.expected.red &&
                                   std::abs(p.green - c.expected.green) <= 1 &&
                                   p.blue == c.expected.blue;
                          }),
              12 * 22);
  }
}

TEST_F(CairoImageTest, WhiteRateTextGivesWhitePixels) {
  for (const int scale : {1, 2}) {
    CairoImage drawn = image(60.0);
    drawn.drawText("123 KB/s", {10.0, 9.0}, kRateFont, kWhite);
    const Pixmap pixmap = drawn.render(scale);
    EXPECT_GT(countPixels(pixmap, isWhite), 10 * scale * scale) << "scale " << scale;
    // Nothing, outline included, lies more than a point left of x = 10.
    for (int y = 0; y < pixmap.height; ++y) {
      for (int x = 0; x < 9 * scale; ++x) ASSERT_FALSE(isInked(pixelAt(pixmap, x, y)));
    }
  }
}

TEST_F(CairoImageTest, UploadArrowIsRedWithoutOutline) {
  CairoImage drawn = image(10.0);
  drawn.drawText("↑", {0.0, 12.2}, kArrowFont, kUploadColor);
  const Pixmap pixmap = drawn.render(2);
  EXPECT_GT(countPixels(pixmap,
                        [](const Pixel& p) {
                          return p.alpha > 128 && p.red > p.green + 100 && p.red > p.blue + 100;
                        }),
            4);
  EXPECT_EQ(countPixels(pixmap, [](const Pixel& p) { return isInked(p) && p.red < 200; }), 0);
}

TEST_F(CairoImageTest, ColouredTextHasNoDarkPixels) {
  CairoImage drawn = image(10.0);
  drawn.drawText("↓", {0.0, 2.2}, kArrowFont, kDownloadColor);
  const Pixmap pixmap = drawn.render(1);
  EXPECT_GT(countPixels(pixmap, isInked), 0);
  EXPECT_EQ(countPixels(pixmap, isDarkTranslucent), 0);
}

bool touchesWhite(const Pixmap& pixmap, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx;
      const int ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= pixmap.width || ny >= pixmap.height) continue;
      const Pixel p = pixelAt(pixmap, nx, ny);
      if (p.alpha > 100 && p.red > 200 && p.green > 200 && p.blue > 200) return true;
    }
  }
  return false;
}

TEST_F(CairoImageTest, WhiteTextHasDarkTranslucentOutlineNextToIt) {
  for (const double alpha : {1.0, 0.72}) {
    CairoImage drawn = image(40.0);
    drawn.drawText("88%", {4.0, 4.0}, kRateFont, {1.0, 1.0, 1.0, alpha});
    const Pixmap pixmap = drawn.render(1);
    int outlineNextToText = 0;
    for (int y = 0; y < pixmap.height; ++y) {
      for (int x = 0; x < pixmap.width; ++x) {
        if (isDarkTranslucent(pixelAt(pixmap, x, y)) && touchesWhite(pixmap, x, y)) {
          ++outlineNextToText;
        }
      }
    }
    EXPECT_GT(outlineNextToText, 10) << "alpha " << alpha;
  }
}

TEST_F(CairoImageTest, OutlineLeavesTheTextColourUntouched) {
  // Translucent white over the outline would come out grey if the outline
  // lay under the glyphs; the glyph cores must stay white at the text's alpha.
  CairoImage drawn = image(40.0);
  drawn.drawText("88", {4.0, 4.0}, {platform::FontFace::system, 16.0}, {1.0, 1.0, 1.0, 0.72});
  const Pixmap pixmap = drawn.render(2);
  const int cores = countPixels(pixmap, [](const Pixel& p) {
    return std::abs(p.alpha - 184) <= 1 && p.red >= 250 && p.green >= 250 && p.blue >= 250;
  });
  EXPECT_GT(cores, 40);
}

TEST_F(CairoImageTest, TextYGrowsUpwardFromTheBottomEdge) {
  CairoImage top = image(30.0);
  top.drawText("RAM", {0.0, 11.3}, kLabelFont, kUploadColor);
  CairoImage bottom = image(30.0);
  bottom.drawText("42%", {0.0, 0.0}, kRateFont, kUploadColor);
  const auto [topFirst, topLast] = inkedRows(top.render(1));
  const auto [bottomFirst, bottomLast] = inkedRows(bottom.render(1));
  ASSERT_GE(topFirst, 0);
  ASSERT_GE(bottomFirst, 0);
  EXPECT_LT(topLast, 11);
  EXPECT_GE(bottomFirst, 9);
  EXPECT_LE(bottomLast, 21);
}

TEST_F(CairoImageTest, UnusableInputDrawsNothingAndNeverFails) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(CairoImage({nan, -5.0}, engine).render(1).argb.size(), 0u);
  EXPECT_EQ(CairoImage({1e12, 22.0}, engine).size().width, CairoImage::kMaximumDimension);
  CairoImage drawn = image(30.0);
  drawn.drawText("12", {0.0, 0.0}, {platform::FontFace::system, 0.0}, kWhite);
  drawn.drawText("12", {0.0, 0.0}, {platform::FontFace::system, nan}, kWhite);
  drawn.drawText("12", {nan, 0.0}, kRateFont, kWhite);
  EXPECT_EQ(countPixels(drawn.render(1), isInked), 0);
  drawn.drawText(std::string("\xff\xfe"
                             "12\0"
                             "34",
                             7),
                 {0.0, 0.0}, kRateFont, kWhite);
  EXPECT_GT(countPixels(drawn.render(7), isInked), 0);
}

}  // namespace
}  // namespace platform::linuxdesktop
