#include "platform/linux/cairo_image.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/compact_pixmap.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/title_pixmap.h"
#include "platform/linux/tray_backdrop.h"

namespace platform::linuxdesktop {
namespace {

struct Pixel {
  int x = 0, y = 0, alpha = 0, red = 0, green = 0, blue = 0;
};

Pixel pixelAt(const Pixmap& pixmap, int x, int y) {
  const auto at = static_cast<std::size_t>(y * pixmap.width + x) * 4;
  return {x, y, pixmap.argb[at], pixmap.argb[at + 1], pixmap.argb[at + 2], pixmap.argb[at + 3]};
}

int countPixels(const Pixmap& pixmap, const std::function<bool(const Pixel&)>& matches) {
  int count = 0;
  for (int y = 0; y < pixmap.height; ++y) {
    for (int x = 0; x < pixmap.width; ++x) count += matches(pixelAt(pixmap, x, y));
  }
  return count;
}

bool isInked(const Pixel& pixel) { return pixel.alpha > 0; }

// White and mostly covered (antialiased strokes of small text rarely cover a
// pixel completely).
bool isWhite(const Pixel& pixel) {
  return pixel.alpha >= 160 && pixel.red >= 245 && pixel.green >= 245 && pixel.blue >= 245;
}

// Bright on the backdrop: text drawn over it, blended with it or not.
bool isBright(const Pixel& pixel) {
  return pixel.alpha == 255 && pixel.red + pixel.green + pixel.blue >= 3 * 200;
}

bool isBackdrop(const Pixel& pixel) {
  return pixel.alpha == 255 && pixel.red == 28 && pixel.green == 28 && pixel.blue == 28;
}

constexpr platform::Font kRateFont{platform::FontFace::monospacedDigitSystem, 10.0,
                                   platform::FontWeight::regular};
constexpr platform::Font kTitleFont{platform::FontFace::system, 14.0,
                                    platform::FontWeight::semibold};

CairoImage image(double width) { return CairoImage({width, 22.0}, std::make_shared<TextEngine>()); }

TEST(CairoImageTest, ImageIsWholePointsTimesScaleAndOnTheBackdropPaddedWithRoundedCorners) {
  for (const int scale : {1, 2}) {
    CairoImage drawn = image(56.2);
    drawn.drawText("123 KB/s", {10.0, 9.0}, kRateFont, {1.0, 1.0, 1.0, 1.0});
    const Pixmap pixmap = drawn.render(scale);
    EXPECT_EQ(pixmap.width, 57 * scale);
    EXPECT_EQ(pixmap.height, 22 * scale);
    EXPECT_EQ(pixmap.argb.size(), static_cast<std::size_t>(57 * 22 * 4 * scale * scale));
    EXPECT_GT(countPixels(pixmap, isWhite), 10 * scale * scale);
    // Nothing lies more than a point left of x = 10.
    EXPECT_EQ(countPixels(pixmap, [&](const Pixel& p) { return isInked(p) && p.x < 9 * scale; }),
              0);

    const Pixmap framed = drawn.renderOnBackdrop(scale);
    ASSERT_EQ(framed.width, (57 + 2 * static_cast<int>(kBackdropPadding)) * scale);
    ASSERT_EQ(framed.height, 22 * scale);
    EXPECT_LT(pixelAt(framed, 0, 0).alpha, 64) << "a rounded corner";
    EXPECT_TRUE(isBackdrop(pixelAt(framed, framed.width / 2, 0)));
    EXPECT_TRUE(isBackdrop(pixelAt(framed, 1 * scale, framed.height / 2)));
    // The text moves right by the padding.
    EXPECT_GT(countPixels(framed, isBright), 10 * scale * scale);
    EXPECT_EQ(countPixels(framed,
                          [&](const Pixel& p) {
                            return isBright(p) && p.x < (9 + kBackdropPadding) * scale;
                          }),
              0);
    EXPECT_LT(countPixels(framed, [](const Pixel& p) { return p.alpha > 0 && p.alpha < 255; }),
              4 * 6 * scale)
        << "only the corners' arcs are translucent";
  }
}

TEST(CairoImageTest, UploadArrowKeepsItsExactRed) {
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

// A status image in the network agent's arrangement: rates, then a column.
struct Drawing {
  double width = 80.0;
  std::string upload = "0 KB/s";
  std::string value = "8%";
  double column = 52.0;
  platform::Font valueFont = kRateFont;
  platform::Color valueColor{1.0, 1.0, 1.0, 0.86};
  platform::Color fill{0.0, 0.0, 0.0, 0.0};
};

std::unique_ptr<CairoImage> drawn(const Drawing& drawing,
                                  const std::shared_ptr<TextEngine>& engine) {
  auto made = std::make_unique<CairoImage>(platform::Size{drawing.width, 22.0}, engine);
  made->fill(drawing.fill);
  made->drawText("↑", {0.0, 12.2}, {platform::FontFace::system, 8.0}, {1.0, 0.25, 0.19, 1.0});
  made->drawText(drawing.upload, {10.0, 9.0}, kRateFont, {1.0, 1.0, 1.0, 1.0});
  made->drawText("CPU", {drawing.column, 11.3}, {platform::FontFace::system, 6.5},
                 {1.0, 1.0, 1.0, 0.72});
  made->drawText(drawing.value, {drawing.column, 0.0}, drawing.valueFont, drawing.valueColor);
  return made;
}

// The status item keeps its pixels while a new image draws the same as the
// old one; any change of text, position, font, colour, size or fill must
// count as different, and then the pixels at both scales differ too.
TEST(CairoImageTest, AnImageDrawsTheSameOnlyWhenEveryOperationIsTheSame) {
  const auto engine = std::make_shared<TextEngine>();
  const Drawing start;
  Drawing value, upload, column, font, colour, width, fill;
  value.value = "9%";
  upload.upload = "1 KB/s";
  column.column = 52.5;
  font.valueFont = {platform::FontFace::monospacedDigitSystem, 10.0,
                    platform::FontWeight::semibold};
  colour.valueColor = {1.0, 1.0, 1.0, 1.0};
  width.width = 81.0;
  fill.fill = {0.2, 0.2, 0.2, 0.5};
  const std::vector<std::pair<const char*, Drawing>> cases = {
      {"one value", value}, {"the upload rate", upload}, {"a column moved by a fraction", column},
      {"the font", font},   {"the colour", colour},      {"the width", width},
      {"the fill", fill}};
  const auto first = drawn(start, engine);
  EXPECT_TRUE(first->drawsSameAs(*drawn(start, engine)));
  EXPECT_FALSE(first->drawsSameAs(*drawn(start, std::make_shared<TextEngine>())));
  for (const auto& [change, drawing] : cases) {
    const auto other = drawn(drawing, engine);
    EXPECT_FALSE(first->drawsSameAs(*other)) << change;
    for (const int scale : {1, 2}) EXPECT_NE(first->render(scale), other->render(scale)) << change;
  }
  // Drawing one more text makes a different picture.
  const auto more = drawn(start, engine);
  more->drawText("GPU", {70.0, 11.3}, {platform::FontFace::system, 6.5}, {1.0, 1.0, 1.0, 0.72});
  EXPECT_FALSE(first->drawsSameAs(*more));
}

TEST(TitlePixmapTest, TitleIsItsWidthRoundedUpPlusPaddingAnd22HighInWhiteOnTheBackdrop) {
  PangoGraphics graphics;
  for (const char* title : {"醒┃", "眠╮"}) {
    const double points =
        std::ceil(graphics.textWidth(title, kTitleFont)) + 2 * kTitlePadding + 2 * kBackdropPadding;
    for (const int scale : {1, 2}) {
      const Pixmap pixmap = renderTitle(title, kTitleFont, scale);
      EXPECT_EQ(pixmap.width, static_cast<int>(points) * scale) << title;
      EXPECT_EQ(pixmap.height, 22 * scale);
    }
    // The Han character fills the left half, the box-drawing one the right.
    const Pixmap pixmap = renderTitle(title, kTitleFont, 2);
    EXPECT_GT(countPixels(pixmap, isBackdrop), pixmap.width * pixmap.height / 2) << title;
    const int half = pixmap.width / 2;
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return isBright(p) && p.x < half; }), 50);
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return isBright(p) && p.x >= half; }), 5);
  }
}

struct CompactCase {
  std::vector<platform::CompactLine> lines;
  int scale = 1;
};

TEST(CompactPixmapTest, LinesAreRowsOfTheirLightenedCueColourInTheSquare) {
  const platform::Color red{1.0, 0.25, 0.19, 1.0};
  const platform::Color blue{0.11, 0.55, 1.0, 1.0};
  const auto lines = [&](const char* upload, const char* download) {
    return std::vector<platform::CompactLine>{{"↑", red, upload, "888M"},
                                              {"↓", blue, download, "888M"}};
  };
  const CompactCase cases[] = {{lines("888M", "1.2K"), 1}, {lines("0", "999G"), 2}};
  for (const CompactCase& compact : cases) {
    SCOPED_TRACE(compact.lines[0].text + " " + compact.lines[1].text);
    const Pixmap pixmap = renderCompact(compact.lines, compact.scale);
    ASSERT_EQ(pixmap.width, 22 * compact.scale);
    ASSERT_EQ(pixmap.height, 22 * compact.scale);
    const int half = pixmap.height / 2;
    // Reddish ink only above the middle, bluish only below it.
    const auto reddish = [](const Pixel& p) { return p.red > p.blue + 40; };
    const auto bluish = [](const Pixel& p) { return p.blue > p.red + 40; };
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return reddish(p) && p.y < half; }), 10);
    EXPECT_EQ(countPixels(pixmap, [&](const Pixel& p) { return reddish(p) && p.y >= half; }), 0);
    EXPECT_GT(countPixels(pixmap, [&](const Pixel& p) { return bluish(p) && p.y >= half; }), 10);
    EXPECT_EQ(countPixels(pixmap, [&](const Pixel& p) { return bluish(p) && p.y < half; }), 0);
  }
  EXPECT_TRUE(renderCompact({}, 1).argb.empty());
}

}  // namespace
}  // namespace platform::linuxdesktop
