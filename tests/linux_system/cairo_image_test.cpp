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

bool isBackdrop(const Pixel& pixel) {
  return pixel.alpha == 255 && pixel.red == 28 && pixel.green == 28 && pixel.blue == 28;
}

constexpr platform::Font kRateFont{platform::FontFace::monospacedDigitSystem, 10.0,
                                   platform::FontWeight::regular};

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

    // The text's place on the backdrop is held by PicturePixelsTest, whose
    // reference paints the backdrop as the product does; here the backdrop itself.
    const Pixmap framed = drawn.renderOnBackdrop(scale);
    EXPECT_LT(pixelAt(framed, 0, 0).alpha, 64) << "a rounded corner";
    EXPECT_TRUE(isBackdrop(pixelAt(framed, framed.width / 2, 0)));
    EXPECT_TRUE(isBackdrop(pixelAt(framed, 1 * scale, framed.height / 2)));
    EXPECT_TRUE(isBackdrop(pixelAt(framed, framed.width - 1, framed.height / 2)));
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
  bool gpuLabel = false;
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
  if (drawing.gpuLabel) {
    made->drawText("GPU", {70.0, 11.3}, {platform::FontFace::system, 6.5}, {1.0, 1.0, 1.0, 0.72});
  }
  return made;
}

// The status item keeps its pixels while a new image draws the same as the
// old one; any change of text, position, font, colour, size or fill, or one
// more text, must count as different, and then the pixels at both scales differ too.
TEST(CairoImageTest, AnImageDrawsTheSameOnlyWhenEveryOperationIsTheSame) {
  const auto engine = std::make_shared<TextEngine>();
  const std::pair<const char*, void (*)(Drawing&)> changes[] = {
      {"one value", [](Drawing& d) { d.value = "9%"; }},
      {"the upload rate", [](Drawing& d) { d.upload = "1 KB/s"; }},
      {"a column moved by a fraction", [](Drawing& d) { d.column = 52.5; }},
      {"the font", [](Drawing& d) { d.valueFont.weight = platform::FontWeight::semibold; }},
      {"the colour", [](Drawing& d) { d.valueColor.alpha = 1.0; }},
      {"the width", [](Drawing& d) { d.width = 81.0; }},
      {"the fill",
       [](Drawing& d) {
         d.fill = {0.2, 0.2, 0.2, 0.5};
       }},
      {"one more text", [](Drawing& d) { d.gpuLabel = true; }}};
  const auto first = drawn({}, engine);
  EXPECT_TRUE(first->drawsSameAs(*drawn({}, engine)));
  EXPECT_FALSE(first->drawsSameAs(*drawn({}, std::make_shared<TextEngine>())));
  for (const auto& [change, apply] : changes) {
    Drawing drawing;
    apply(drawing);
    const auto other = drawn(drawing, engine);
    EXPECT_FALSE(first->drawsSameAs(*other)) << change;
    for (const int scale : {1, 2}) EXPECT_NE(first->render(scale), other->render(scale)) << change;
  }
}

// The rows, their places and their lightened cue colours are held pixel for
// pixel by PicturePixelsTest; here the side's rounding and the empty square.
TEST(CompactPixmapTest, SideIsRoundedAndNoLinesDrawNothing) {
  TextEngine engine;
  const platform::Color red{1.0, 0.25, 0.19, 1.0};
  const std::vector<platform::CompactLine> lines = {{"↑", red, "1.2K", "888M"},
                                                    {"↓", red, "0", "888M"}};
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

class ReferenceImage : public platform::Image {
 public:
  ReferenceImage(platform::Size size, TextEngine& engine) : imageSize(size), engine(engine) {}
  platform::Size size() const override { return imageSize; }
  void fill(const platform::Color& color) override { fills.push_back(color); }
  void drawText(const std::string& text, platform::Point at, const platform::Font& font,
                const platform::Color& color) override {
    texts.push_back({text, at, font, color});
  }

  Pixmap renderOnBackdrop(double scale) const {
    const double points = std::ceil(imageSize.width) + 2 * kBackdropPadding;
    const double height = std::ceil(imageSize.height);
    const CairoSurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(std::lround(points * scale)),
        static_cast<int>(std::lround(height * scale))));
    const CairoPtr cairo(cairo_create(surface.get()));
    cairo_scale(cairo.get(), scale, scale);
    paintBackdrop(cairo.get(), points, height);
    cairo_translate(cairo.get(), kBackdropPadding, 0);
    for (const platform::Color& color : fills) {
      cairo_set_source_rgba(cairo.get(), color.red, color.green, color.blue, color.alpha);
      cairo_paint(cairo.get());
    }
    for (const Text& text : texts) {
      const PangoLayoutPtr layout = engine.layout(text.text, text.font);
      const platform::Color& c = text.color;
      cairo_set_source_rgba(cairo.get(), c.red, c.green, c.blue, c.alpha);
      cairo_move_to(cairo.get(), text.at.x,
                    imageSize.height - text.at.y - logicalSize(layout.get()).height);
      pango_cairo_show_layout(cairo.get(), layout.get());
    }
    return pixmapFromSurface(surface.get());
  }

 private:
  struct Text {
    std::string text;
    platform::Point at;
    platform::Font font;
    platform::Color color;
  };
  platform::Size imageSize;
  TextEngine& engine;
  std::vector<platform::Color> fills;
  std::vector<Text> texts;
};

class ReferenceGraphics : public platform::Graphics {
 public:
  explicit ReferenceGraphics(TextEngine& engine) : engine(engine) {}
  double textWidth(const std::string& text, const platform::Font& font) override {
    return logicalSize(engine.layout(text, font).get()).width;
  }
  std::shared_ptr<platform::Image> newImage(platform::Size size) override {
    return std::make_shared<ReferenceImage>(size, engine);
  }

 private:
  TextEngine& engine;
};

Pixmap referenceTitle(TextEngine& engine, const std::string& title, const platform::Font& font,
                      double scale) {
  const platform::Size text = logicalSize(engine.layout(title, font).get());
  ReferenceImage image({std::ceil(text.width) + 2 * kTitlePadding, 22.0}, engine);
  image.drawText(title, {kTitlePadding, (22.0 - text.height) / 2}, font, {1.0, 1.0, 1.0, 1.0});
  return image.renderOnBackdrop(scale);
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
                    dynamic_cast<ReferenceImage&>(*expected).renderOnBackdrop(scale))
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
    for (const double scale : scales) {
      EXPECT_TRUE(renderTitle(title, sleepFont, scale, engine) ==
                  referenceTitle(*engine, title, sleepFont, scale))
          << title << ", scale " << scale;
    }
  }
}

}  // namespace
}  // namespace platform::linuxdesktop
