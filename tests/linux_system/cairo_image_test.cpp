#include "platform/linux/cairo_image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include "network_agent/presentation/status_item_renderer.h"
#include "network_agent/sampling/rate_text.h"
#include "platform/fake/fake_graphics.h"
#include "platform/linux/compact_pixmap.h"
#include "platform/linux/pango_graphics.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/title_pixmap.h"
#include "platform/linux/tray_backdrop.h"

namespace platform::linuxdesktop {
namespace {

struct Pixel {
  int alpha = 0, red = 0, green = 0, blue = 0;
};

Pixel pixelAt(const Pixmap& pixmap, int x, int y) {
  const auto at = static_cast<std::size_t>(y * pixmap.width + x) * 4;
  return {pixmap.argb[at], pixmap.argb[at + 1], pixmap.argb[at + 2], pixmap.argb[at + 3]};
}

int countPixels(const Pixmap& pixmap, const std::function<bool(const Pixel&)>& matches) {
  int count = 0;
  for (int at = 0; at < pixmap.width * pixmap.height; ++at) {
    count += matches(pixelAt(pixmap, at % pixmap.width, at / pixmap.width));
  }
  return count;
}

bool isBackdrop(const Pixel& pixel) {
  return pixel.alpha == 255 && pixel.red == 28 && pixel.green == 28 && pixel.blue == 28;
}

constexpr platform::Color kRed{1.0, 0.25, 0.19, 1.0};
constexpr platform::Font kArrowFont{platform::FontFace::system, 8.0};
constexpr platform::Font kRateFont{platform::FontFace::monospacedDigitSystem, 10.0,
                                   platform::FontWeight::regular};

// Sizes are whole points. Pixels go out in A, R, G, B order with straight alpha: every inked pixel
// of the arrow is its red, however little of it the glyph covers. The places of texts on the
// backdrop are held by PicturePixelsTest, whose reference paints the backdrop as the product does;
// here the backdrop itself.
TEST(CairoImageTest, ColoursStayExactAndTheBackdropIsPaddedWithRoundedCorners) {
  CairoImage drawn({10.2, 22.0}, std::make_shared<TextEngine>());
  drawn.drawText("↑", {0.0, 12.2}, kArrowFont, kRed);
  const Pixmap pixmap = drawn.render(2);
  EXPECT_GT(countPixels(pixmap, [](const Pixel& p) { return p.alpha > 128 && p.red > 200; }), 4);
  EXPECT_EQ(countPixels(pixmap,
                        [](const Pixel& p) {
                          return p.alpha > 0 && (p.red < 200 || p.green > 100 || p.blue > 100);
                        }),
            0);
  for (const int scale : {1, 2}) {
    const Pixmap framed = drawn.renderOnBackdrop(scale);
    EXPECT_EQ(framed.width, (11 + 4) * scale) << "whole points, padded";
    EXPECT_LT(pixelAt(framed, 0, 0).alpha, 64) << "a rounded corner";
    EXPECT_TRUE(isBackdrop(pixelAt(framed, framed.width / 2, 0)));
    EXPECT_TRUE(isBackdrop(pixelAt(framed, 1 * scale, framed.height / 2)));
    EXPECT_TRUE(isBackdrop(pixelAt(framed, framed.width - 1, framed.height / 2)));
    EXPECT_LT(countPixels(framed, [](const Pixel& p) { return p.alpha > 0 && p.alpha < 255; }),
              4 * 6 * scale)
        << "only the corners' arcs are translucent";
  }
}

// A status image in the network agent's arrangement: rates, then a column.
platform::fake::FakeImage arrangement(double width = 80.0) {
  platform::fake::FakeImage image({width, 22.0});
  image.fill({0.0, 0.0, 0.0, 0.0});
  image.drawText("↑", {0.0, 12.2}, kArrowFont, kRed);
  image.drawText("0 KB/s", {10.0, 9.0}, kRateFont, {1.0, 1.0, 1.0, 1.0});
  image.drawText("CPU", {52.0, 11.3}, {platform::FontFace::system, 6.5}, {1.0, 1.0, 1.0, 0.72});
  image.drawText("8%", {52.0, 0.0}, kRateFont, {1.0, 1.0, 1.0, 0.86});
  return image;
}

// The image drawing what the kept one was told to draw.
std::unique_ptr<CairoImage> drawn(const platform::fake::FakeImage& image,
                                  const std::shared_ptr<TextEngine>& engine) {
  auto made = std::make_unique<CairoImage>(image.size(), engine);
  for (const platform::fake::DrawOperation& step : image.operations) {
    if (step.kind == platform::fake::DrawOperation::Kind::fill) {
      made->fill(step.color);
    } else {
      made->drawText(step.text, step.at, step.font, step.color);
    }
  }
  return made;
}

// The status item keeps its pixels while a new image draws the same as the
// old one; any change of text, position, font, colour, size or fill, or one
// more text, must count as different, and then the pixels at both scales differ too.
TEST(CairoImageTest, AnImageDrawsTheSameOnlyWhenEveryOperationIsTheSame) {
  using Image = platform::fake::FakeImage;
  const auto engine = std::make_shared<TextEngine>();
  const std::pair<const char*, void (*)(Image&)> changes[] = {
      {"one value", [](Image& i) { i.operations[4].text = "9%"; }},
      {"the upload rate", [](Image& i) { i.operations[2].text = "1 KB/s"; }},
      {"a column moved by a fraction", [](Image& i) { i.operations[4].at.x = 52.5; }},
      {"the font", [](Image& i) { i.operations[4].font.weight = platform::FontWeight::semibold; }},
      {"the colour", [](Image& i) { i.operations[4].color.alpha = 1.0; }},
      {"the width", [](Image& i) { i = arrangement(81.0); }},
      {"the fill",
       [](Image& i) {
         i.operations[0].color = {0.2, 0.2, 0.2, 0.5};
       }},
      {"one more text", [](Image& i) {
         i.drawText("GPU", {70.0, 0.0}, kRateFont, {1, 1, 1, 1});
       }}};
  const auto first = drawn(arrangement(), engine);
  EXPECT_TRUE(first->drawsSameAs(*drawn(arrangement(), engine)));
  EXPECT_FALSE(first->drawsSameAs(*drawn(arrangement(), std::make_shared<TextEngine>())));
  for (const auto& [change, apply] : changes) {
    Image image = arrangement();
    apply(image);
    const auto other = drawn(image, engine);
    EXPECT_FALSE(first->drawsSameAs(*other)) << change;
    for (const int scale : {1, 2}) EXPECT_NE(first->render(scale), other->render(scale)) << change;
  }
}

// The rows, their places and their lightened cue colours are held pixel for
// pixel by PicturePixelsTest; here the side's rounding and the empty square.
TEST(CompactPixmapTest, SideIsRoundedAndNoLinesDrawNothing) {
  TextEngine engine;
  const std::vector<platform::CompactLine> lines = {{"↑", kRed, "1.2K", "888M"},
                                                    {"↓", kRed, "0", "888M"}};
  // 30 / 22 * 22 is a hair below 30 in doubles: the side is rounded.
  const Pixmap pixmap = renderCompact(lines, 30.0 / 22, engine);
  EXPECT_EQ(pixmap.width, 30);
  EXPECT_EQ(pixmap.height, 30);
  EXPECT_TRUE(renderCompact({}, 1, engine).argb.empty());
}

// The pictures as they were drawn before texts were kept shaped: every text a
// Pango layout, drawn with pango_cairo_show_layout. The reference the
// pictures must match pixel for pixel.
platform::Size logicalSize(PangoLayout* layout) {
  PangoRectangle logical{};
  pango_layout_get_extents(layout, nullptr, &logical);
  return {static_cast<double>(logical.width) / PANGO_SCALE,
          static_cast<double>(logical.height) / PANGO_SCALE};
}

// Lays the pictures out by Pango's measures, in images that keep what they
// are told to draw.
class ReferenceGraphics : public platform::fake::FakeGraphics {
 public:
  explicit ReferenceGraphics(TextEngine& engine) : engine(engine) {}
  double textWidth(const std::string& text, const platform::Font& font) override {
    return logicalSize(engine.layout(text, font).get()).width;
  }

 private:
  TextEngine& engine;
};

Pixmap referenceOnBackdrop(const platform::fake::FakeImage& image, TextEngine& engine,
                           double scale) {
  const double points = std::ceil(image.size().width) + 2 * kBackdropPadding;
  const double height = std::ceil(image.size().height);
  const CairoSurfacePtr surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::lround(points * scale)),
                                 static_cast<int>(std::lround(height * scale))));
  const CairoPtr cairo(cairo_create(surface.get()));
  cairo_scale(cairo.get(), scale, scale);
  paintBackdrop(cairo.get(), points, height);
  cairo_translate(cairo.get(), kBackdropPadding, 0);
  for (const platform::fake::DrawOperation& step : image.operations) {
    const platform::Color& c = step.color;
    cairo_set_source_rgba(cairo.get(), c.red, c.green, c.blue, c.alpha);
    if (step.kind == platform::fake::DrawOperation::Kind::fill) {
      cairo_paint(cairo.get());
      continue;
    }
    const PangoLayoutPtr layout = engine.layout(step.text, step.font);
    cairo_move_to(cairo.get(), step.at.x,
                  image.size().height - step.at.y - logicalSize(layout.get()).height);
    pango_cairo_show_layout(cairo.get(), layout.get());
  }
  return pixmapFromSurface(surface.get());
}

Pixmap referenceCompact(TextEngine& engine, const std::vector<platform::CompactLine>& lines,
                        double scale) {
  const int side = static_cast<int>(std::lround(22.0 * scale));
  const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
  const CairoPtr cairo(cairo_create(surface.get()));
  cairo_scale(cairo.get(), scale, scale);
  paintBackdrop(cairo.get(), 22.0, 22.0);
  const double rows = static_cast<double>(lines.size());
  const double rowHeight = (20.0 - (rows - 1)) / rows;
  const platform::Font font{platform::FontFace::system, rowHeight * 1.1,
                            platform::FontWeight::semibold};
  for (std::size_t row = 0; row < lines.size(); ++row) {
    const PangoLayoutPtr layout = engine.layout(lines[row].text, font);
    PangoRectangle ink{};
    pango_layout_get_extents(layout.get(), &ink, nullptr);
    const double inkWidth = static_cast<double>(ink.width) / PANGO_SCALE;
    const double inkHeight = static_cast<double>(ink.height) / PANGO_SCALE;
    const double narrowing = std::min(1.0, 20.0 / inkWidth);
    const platform::Color& cue = lines[row].cueColor;
    cairo_set_source_rgba(cairo.get(), cue.red * 0.5 + 0.5, cue.green * 0.5 + 0.5,
                          cue.blue * 0.5 + 0.5, 1.0);
    cairo_save(cairo.get());
    cairo_translate(
        cairo.get(), 1.0 + (20.0 - inkWidth * narrowing) / 2,
        1.0 + static_cast<double>(row) * (rowHeight + 1.0) + (rowHeight - inkHeight) / 2);
    cairo_scale(cairo.get(), narrowing, 1.0);
    cairo_move_to(cairo.get(), -static_cast<double>(ink.x) / PANGO_SCALE,
                  -static_cast<double>(ink.y) / PANGO_SCALE);
    pango_cairo_show_layout(cairo.get(), layout.get());
    cairo_restore(cairo.get());
  }
  return pixmapFromSurface(surface.get());
}

// Every picture a tray is given, for a table of readings: the wide picture
// with every combination of columns, the square and the titles, at both
// whole scales and at MATE's exact height.
TEST(PicturePixelsTest, EveryPictureIsPixelForPixelTheReferences) {
  const auto engine = std::make_shared<TextEngine>();
  PangoGraphics graphics(engine);
  ReferenceGraphics referenceGraphics(*engine);
  agent::StatusItemRenderer renderer(graphics);
  agent::StatusItemRenderer reference(referenceGraphics);
  const std::pair<double, double> rates[] = {
      {0, 0}, {999, 12'345}, {1'567'890, 45'600}, {98'765'432'100, 7'250'000}};
  const std::vector<std::vector<std::string>> values = {
      {"0%", "0%", "--"}, {"63%", "8%", "100%"}, {"100%", "57%", "4%"}, {"9%", "100%", "--"}};
  const std::string labels[] = {"RAM", "CPU", "GPU"};
  const double scales[] = {1, 2, 25.0 / 22};
  for (std::size_t row = 0; row < values.size(); ++row) {
    const agent::NetworkSnapshot network{rates[row].first, rates[row].second};
    for (unsigned columns = 0; columns < 8; ++columns) {
      agent::StatusMetrics metrics;
      for (std::size_t i = 0; i < 3; ++i) {
        if ((columns >> i & 1) != 0) metrics.push_back({labels[i], values[row][i]});
      }
      const auto image = renderer.image(network, metrics);
      const auto expected = reference.image(network, metrics);
      for (const double scale : scales) {
        EXPECT_TRUE(dynamic_cast<CairoImage&>(*image).renderOnBackdrop(scale) ==
                    referenceOnBackdrop(dynamic_cast<platform::fake::FakeImage&>(*expected),
                                        *engine, scale))
            << "wide, row " << row << ", columns " << columns << ", scale " << scale;
      }
    }
    const std::vector<platform::CompactLine> lines = {
        {"↑", renderer.uploadColor, agent::compactRate(network.uploadBytesPerSecond), "888M"},
        {"↓", renderer.downloadColor, agent::compactRate(network.downloadBytesPerSecond), "888M"}};
    for (const double scale : scales) {
      EXPECT_TRUE(renderCompact(lines, scale, *engine) == referenceCompact(*engine, lines, scale))
          << "square, row " << row << ", scale " << scale;
    }
  }
  const platform::Font sleepFont{platform::FontFace::system, 12.5, platform::FontWeight::semibold};
  for (const char* title : {"醒┃", "眠╮"}) {
    const platform::Size text = logicalSize(engine->layout(title, sleepFont).get());
    platform::fake::FakeImage image({std::ceil(text.width) + 2 * kTitlePadding, 22.0});
    image.drawText(title, {kTitlePadding, (22.0 - text.height) / 2}, sleepFont, {1, 1, 1, 1});
    for (const double scale : scales) {
      EXPECT_TRUE(renderTitle(title, sleepFont, scale, engine) ==
                  referenceOnBackdrop(image, *engine, scale))
          << title << ", scale " << scale;
    }
  }
}

TEST(PangoGraphicsTest, MonospacedDigitsShareOneWidthAndABadSizeMeasuresNothing) {
  PangoGraphics graphics;
  const double rate = graphics.textWidth("1.0 MB/s", kRateFont);
  EXPECT_GT(rate, 0.0);
  EXPECT_DOUBLE_EQ(graphics.textWidth("8.8 MB/s", kRateFont), rate);
  EXPECT_EQ(graphics.textWidth("1.0 MB/s", {kRateFont.face, -1.0}), 0.0);
}

TEST(TextEngineTest, FallbackFindsGlyphsForEveryTextTheAgentsDraw) {
  TextEngine engine;
  for (const std::string text : {"醒┃", "眠╮", "↑", "↓", "12.3 MB/s", "RAM", "--"}) {
    const PangoLayoutPtr layout = engine.layout(text, {platform::FontFace::system, 10.0});
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout.get()), 0) << text;
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
