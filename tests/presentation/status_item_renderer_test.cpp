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
using platform::fake::DrawOperation;
using platform::fake::formatNumber;

const Font kArrowFont{FontFace::system, 8.0, FontWeight::medium};
const Font kRateFont{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
const Font kLabelFont{FontFace::system, 6.5, FontWeight::regular};
const Font kValueFont{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};

const Color kClear{0.0, 0.0, 0.0, 0.0};
const Color kUpload{1.0, 0.25, 0.19, 1.0};
const Color kDownload{0.11, 0.55, 1.0, 1.0};
const Color kPrimary{1.0, 1.0, 1.0, 1.0};
const Color kSecondary{1.0, 1.0, 1.0, 0.72};
const Color kMetricValue{1.0, 1.0, 1.0, 0.86};

std::string describe(const Color& c) {
  return "rgba(" + formatNumber(c.red) + ", " + formatNumber(c.green) + ", " +
         formatNumber(c.blue) + ", " + formatNumber(c.alpha) + ")";
}

std::string describe(const Font& f) {
  const char* face = f.face == FontFace::system ? "system" : "monospacedDigitSystem";
  const char* weight = f.weight == FontWeight::regular  ? "regular"
                       : f.weight == FontWeight::medium ? "medium"
                                                        : "semibold";
  return std::string{face} + " " + formatNumber(f.size) + " " + weight;
}

std::string fillLine(const Color& color) { return "fill " + describe(color); }

std::string textLine(const std::string& text, double x, double y, const Font& font,
                     const Color& color) {
  return "text \"" + text + "\" at (" + formatNumber(x) + ", " + formatNumber(y) + ") " +
         describe(font) + " " + describe(color);
}

// One readable line per operation, with exact numbers, so a whole drawing
// compares in one assertion and a mismatch shows where it differs.
std::vector<std::string> describe(const std::vector<DrawOperation>& operations) {
  std::vector<std::string> lines;
  for (const DrawOperation& op : operations) {
    lines.push_back(op.kind == DrawOperation::Kind::fill
                        ? fillLine(op.color)
                        : textLine(op.text, op.at.x, op.at.y, op.font, op.color));
  }
  return lines;
}

TEST(StatusItemRenderer, DrawsArrowsRatesAndColumnsInOrderWithTheirFontsColoursAndPoints) {
  platform::fake::FakeGraphics graphics;
  StatusItemRenderer renderer{graphics};
  // "2 KB/s" is 30 wide, "0 B/s" 25: the first column starts at 10 + 30 + 8.
  const auto image = renderer.image({1600.0, 0.0}, StatusMetrics{{"RAM", "63%"}, {"CPU", "--"}});

  ASSERT_EQ(graphics.images.size(), 1u);
  EXPECT_EQ(image, graphics.images[0]);
  EXPECT_EQ(image->size(), (platform::Size{104.0, 22.0}));
  const std::vector<std::string> expected = {
      fillLine(kClear),
      textLine("↑", 0.0, 12.2, kArrowFont, kUpload),
      textLine("↓", 0.0, 2.2, kArrowFont, kDownload),
      textLine("2 KB/s", 10.0, 9.0, kRateFont, kPrimary),
      textLine("0 B/s", 10.0, -0.1, kRateFont, kPrimary),
      textLine("RAM", 48.0, 11.3, kLabelFont, kSecondary),
      textLine("63%", 48.0, 0.0, kValueFont, kMetricValue),
      textLine("CPU", 76.0, 11.3, kLabelFont, kSecondary),
      textLine("--", 76.0, 0.0, kValueFont, kMetricValue),
  };
  EXPECT_EQ(describe(graphics.images[0]->operations), expected);
  EXPECT_EQ(graphics.measureCount, 2 + 2 * 2);
}

TEST(StatusItemRenderer, WithoutMetricsDrawsOnlyArrowsAndRates) {
  platform::fake::FakeGraphics graphics;
  StatusItemRenderer renderer{graphics};
  // "12.3 MB/s" (45 wide) is wider than "1000 B/s" (40).
  const auto image = renderer.image({12'345'678.0, 999.7}, {});

  EXPECT_EQ(image->size(), (platform::Size{55.0, 22.0}));
  const std::vector<std::string> expected = {
      fillLine(kClear),
      textLine("↑", 0.0, 12.2, kArrowFont, kUpload),
      textLine("↓", 0.0, 2.2, kArrowFont, kDownload),
      textLine("12.3 MB/s", 10.0, 9.0, kRateFont, kPrimary),
      textLine("1000 B/s", 10.0, -0.1, kRateFont, kPrimary),
  };
  EXPECT_EQ(describe(graphics.images[0]->operations), expected);
}

TEST(StatusItemRenderer, ImageWidthIsTheTotalRoundedUp) {
  platform::fake::FakeGraphics graphics;
  StatusItemRenderer renderer{graphics};
  // A nine-character label is 29.25 wide: 10 + 25 + 8 + 35.25 = 78.25.
  const auto image = renderer.image({0.0, 0.0}, StatusMetrics{{"Swap used", "5%"}});
  EXPECT_EQ(image->size(), (platform::Size{79.0, 22.0}));
}

TEST(StatusItemRenderer, EveryCallDrawsANewImageFromItsOwnInputs) {
  platform::fake::FakeGraphics graphics;
  StatusItemRenderer renderer{graphics};
  const auto first = renderer.image({0.0, 0.0}, StatusMetrics{{"RAM", "63%"}});
  const auto second = renderer.image({500.0, 0.0}, {});

  ASSERT_EQ(graphics.images.size(), 2u);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->size(), (platform::Size{71.0, 22.0}));
  EXPECT_EQ(second->size(), (platform::Size{45.0, 22.0}));
  EXPECT_EQ(graphics.images[1]->operations.size(), 5u);
  EXPECT_EQ(graphics.images[1]->operations[3].text, "500 B/s");
}

}  // namespace
}  // namespace agent
