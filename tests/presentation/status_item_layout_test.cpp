#include "network_agent/presentation/status_item_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_graphics.h"

namespace agent {
namespace {

// The fake's widths: half the font size per character, so a rate text is 5 per
// character, a label 3.25 and a value 5.
TEST(StatusItemLayout, PlacesRatesAndColumns) {
  struct Expected {
    std::vector<double> positions, widths;
    double totalWidth, imageWidth;
  };
  const struct {
    const char *upload, *download;
    StatusMetrics metrics;
    Expected expected;
  } cases[] = {
      // No metrics: the wider rate.
      {"0 B/s", "1000 B/s", {}, {{}, {}, 50, 50}},
      // Narrow metrics take 28.
      {"0 B/s", "0 B/s", {{"RAM", "63%"}, {"GPU", "--"}}, {{43, 71}, {28, 28}, 99, 99}},
      // A wide label or value widens its column and shifts the next; the image
      // width is rounded up.
      {"0 B/s",
       "0 B/s",
       {{"Swapped", "5%"}, {"RAM", "12345%"}},
       {{43, 71.75}, {28.75, 36}, 107.75, 108}},
      // A wider upload moves the columns.
      {"12.3 MB/s", "1000 B/s", {{"RAM", "63%"}}, {{63}, {28}, 91, 91}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
    const StatusItemLayout layout =
        layoutStatusItem(c.upload, c.download, c.metrics, StatusItemFonts{},
                         platform::fake::FakeGraphics::ruleWidth);
    EXPECT_EQ(layout.columnPositions, c.expected.positions);
    EXPECT_EQ(layout.columnWidths, c.expected.widths);
    EXPECT_EQ(layout.totalWidth, c.expected.totalWidth);
    EXPECT_EQ(layout.imageSize, (platform::Size{c.expected.imageWidth, 22.0}));
  }
}

}  // namespace
}  // namespace agent
