#include "platform/linux/title_pixmap.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/linux/pango_graphics.h"
#include "tests/linux_system/pixel_probe.h"

namespace platform::linuxdesktop {
namespace {

using testing::countPixels;
using testing::inkedRows;
using testing::isDarkTranslucent;
using testing::isInked;
using testing::isWhite;
using testing::pixelAt;

constexpr platform::Font kTitleFont{platform::FontFace::system, 14.0,
                                    platform::FontWeight::semibold};

int inkedColumns(const Pixmap& pixmap, int from, int to) {
  int count = 0;
  for (int x = from; x < to; ++x) {
    for (int y = 0; y < pixmap.height; ++y) {
      if (isInked(pixelAt(pixmap, x, y))) {
        ++count;
        break;
      }
    }
  }
  return count;
}

TEST(TitlePixmapTest, ImageIsTheTextWidthRoundedUpPlusPaddingAnd22High) {
  PangoGraphics graphics;
  for (const char* title : {"醒┃", "眠╮"}) {
    const double textWidth = graphics.textWidth(title, kTitleFont);
    const int points = static_cast<int>(std::ceil(textWidth) + 2 * kTitlePadding);
    for (const int scale : {1, 2}) {
      const Pixmap pixmap = renderTitle(title, kTitleFont, scale);
      EXPECT_EQ(pixmap.width, points * scale) << title;
      EXPECT_EQ(pixmap.height, 22 * scale);
    }
  }
}

TEST(TitlePixmapTest, BothCharactersOfACjkTitleAreInkedInWhiteWithOutline) {
  for (const char* title : {"醒┃", "眠╮"}) {
    const Pixmap pixmap = renderTitle(title, kTitleFont, 2);
    EXPECT_GT(countPixels(pixmap, isWhite), 50) << title;
    EXPECT_GT(countPixels(pixmap, isDarkTranslucent), 20) << title;
    // The Han character fills the left half, the box-drawing one the right.
    const int half = pixmap.width / 2;
    EXPECT_GT(inkedColumns(pixmap, 0, half), half / 2) << title;
    EXPECT_GT(inkedColumns(pixmap, half, pixmap.width), 2) << title;
  }
}

TEST(TitlePixmapTest, TextSitsNearTheVerticalMiddle) {
  const Pixmap pixmap = renderTitle("眠", kTitleFont, 1);
  const auto [first, last] = inkedRows(pixmap);
  ASSERT_GE(first, 0);
  EXPECT_LE(std::abs((first + last) - (pixmap.height - 1)), 4);
}

TEST(TitlePixmapTest, EmptyTitleIsATransparentPaddingStrip) {
  const Pixmap pixmap = renderTitle("", kTitleFont, 1);
  EXPECT_EQ(pixmap.width, 2);
  EXPECT_EQ(pixmap.height, 22);
  EXPECT_EQ(countPixels(pixmap, isInked), 0);
}

}  // namespace
}  // namespace platform::linuxdesktop
