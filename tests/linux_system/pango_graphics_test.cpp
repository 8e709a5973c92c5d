#include "platform/linux/pango_graphics.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/linux/text_engine.h"

namespace platform::linuxdesktop {
namespace {

TEST(PangoGraphicsTest, MonospacedDigitsShareOneWidthAndABadSizeMeasuresNothing) {
  PangoGraphics graphics;
  const platform::Font font{platform::FontFace::monospacedDigitSystem, 10.0};
  const double rate = graphics.textWidth("1.0 MB/s", font);
  EXPECT_GT(rate, 0.0);
  EXPECT_DOUBLE_EQ(graphics.textWidth("8.8 MB/s", font), rate);
  EXPECT_EQ(graphics.textWidth("1.0 MB/s", {font.face, -1.0}), 0.0);
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
