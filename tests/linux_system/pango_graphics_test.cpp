#include "platform/linux/pango_graphics.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/linux/cairo_image.h"
#include "platform/linux/text_engine.h"
#include "platform/linux/title_pixmap.h"
#include "tests/linux_system/pixel_probe.h"

namespace platform::linuxdesktop {
namespace {

constexpr platform::Font kRateFont{platform::FontFace::monospacedDigitSystem, 10.0,
                                   platform::FontWeight::regular};
constexpr platform::Font kSystemFont{platform::FontFace::system, 10.0,
                                     platform::FontWeight::regular};

TEST(PangoGraphicsTest, WidthGrowsWithTextAndSize) {
  PangoGraphics graphics;
  const double one = graphics.textWidth("1", kRateFont);
  const double three = graphics.textWidth("123", kRateFont);
  const double rate = graphics.textWidth("123 KB/s", kRateFont);
  EXPECT_GT(one, 2.0);
  EXPECT_LT(one, 10.0);
  EXPECT_NEAR(three, 3 * one, 0.01);
  EXPECT_GT(rate, three);
  EXPECT_LT(rate, 80.0);
  const double doubled =
      graphics.textWidth("123 KB/s", {platform::FontFace::monospacedDigitSystem, 20.0});
  EXPECT_NEAR(doubled, 2 * rate, 0.05 * rate);
  EXPECT_EQ(graphics.textWidth("", kRateFont), 0.0);
}

TEST(PangoGraphicsTest, MonospacedDigitsShareOneWidth) {
  PangoGraphics graphics;
  const double ones = graphics.textWidth("111", kRateFont);
  EXPECT_DOUBLE_EQ(ones, graphics.textWidth("888", kRateFont));
  EXPECT_DOUBLE_EQ(graphics.textWidth("1.0 MB/s", kRateFont),
                   graphics.textWidth("8.8 MB/s", kRateFont));
}

int totalAlpha(PangoGraphics& graphics, const platform::Font& font) {
  const std::shared_ptr<platform::Image> image = graphics.newImage({60.0, 22.0});
  image->drawText("GPU 88%", {0.0, 4.0}, font, {1.0, 0.0, 0.0, 1.0});
  const Pixmap pixmap = dynamic_cast<const CairoImage&>(*image).render(1);
  int total = 0;
  for (std::size_t i = 0; i < pixmap.argb.size(); i += 4) total += pixmap.argb[i];
  return total;
}

TEST(PangoGraphicsTest, SemiboldInksMoreThanRegular) {
  PangoGraphics graphics;
  const int regular = totalAlpha(graphics, kSystemFont);
  const int semibold =
      totalAlpha(graphics, {platform::FontFace::system, 10.0, platform::FontWeight::semibold});
  EXPECT_GT(semibold, regular * 11 / 10);
}

TEST(PangoGraphicsTest, UnusableFontMeasuresZero) {
  PangoGraphics graphics;
  EXPECT_EQ(graphics.textWidth("12", {platform::FontFace::system, -1.0}), 0.0);
  EXPECT_EQ(graphics.textWidth("12", {platform::FontFace::system, 1e6}), 0.0);
}

TEST(PangoGraphicsTest, NewImageIsACairoImageOfTheSize) {
  PangoGraphics graphics;
  const std::shared_ptr<platform::Image> image = graphics.newImage({57.0, 22.0});
  EXPECT_EQ(image->size(), (platform::Size{57.0, 22.0}));
  const auto* cairoImage = dynamic_cast<const CairoImage*>(image.get());
  ASSERT_NE(cairoImage, nullptr);
  EXPECT_EQ(cairoImage->render(2).width, 114);
}

TEST(TextEngineTest, FallbackFindsGlyphsForEveryTextTheAgentsDraw) {
  TextEngine engine;
  for (const std::string text : {"醒┃", "眠╮", "↑", "↓", "12.3 MB/s", "RAM", "--"}) {
    const PangoLayoutPtr layout = engine.layout(text, kSystemFont);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout.get()), 0) << text;
  }
}

TEST(TextEngineTest, HanTextUsesSimplifiedChineseForms) {
  TextEngine engine;
  const PangoLayoutPtr layout = engine.layout("醒┃", kSystemFont);
  PangoLayoutIter* iter = pango_layout_get_iter(layout.get());
  const PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter);
  ASSERT_NE(run, nullptr);
  EXPECT_STREQ(pango_language_to_string(run->item->analysis.language), "zh-cn");
  pango_layout_iter_free(iter);
}

}  // namespace
}  // namespace platform::linuxdesktop
