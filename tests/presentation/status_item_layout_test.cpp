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
      {"12.3 MB/s", "1000 B/s", {}, {{}, {}, 55.0, 55.0}},
      // Three narrow metrics take 84.
      {"0 B/s",
       "0 B/s",
       {{"RAM", "63%"}, {"CPU", "7%"}, {"GPU", "--"}},
       {{43.0, 71.0, 99.0}, {28.0, 28.0, 28.0}, 127.0, 127.0}},
      // A wide value widens its column and shifts the next.
      {"0 B/s",
       "0 B/s",
       {{"RAM", "12345%"}, {"CPU", "7%"}},
       {{43.0, 79.0}, {36.0, 28.0}, 107.0, 107.0}},
      // A wide label widens its column; the image width is rounded up.
      {"0 B/s", "0 B/s", {{"Swap used", "5%"}}, {{43.0}, {35.25}, 78.25, 79.0}},
      // A wider upload moves the columns.
      {"1000 B/s", "0 B/s", {{"RAM", "63%"}}, {{58.0}, {28.0}, 86.0, 86.0}},
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
