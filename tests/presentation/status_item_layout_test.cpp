#include "network_agent/presentation/status_item_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace agent {
namespace {

// Gives each text the width the test chose for it, whatever the font, and
// records what was measured.
class ScriptedMeasurer {
 public:
  explicit ScriptedMeasurer(std::map<std::string, double> widths) : widths(std::move(widths)) {}
  TextMeasurer measurer() {
    return [this](const std::string& text, const platform::Font& font) {
      calls.emplace_back(text, font);
      return widths.at(text);
    };
  }

  std::map<std::string, double> widths;
  std::vector<std::pair<std::string, platform::Font>> calls;
};

struct LayoutCase {
  const char* name;
  double uploadWidth;
  double downloadWidth;
  // Label and value widths per metric.
  std::vector<std::pair<double, double>> metricWidths;
  double rateWidth;
  std::vector<double> columnWidths;
  std::vector<double> columnPositions;
  double totalWidth;
  double imageWidth;
};

StatusItemLayout layoutFor(const LayoutCase& c) {
  std::map<std::string, double> widths{{"up", c.uploadWidth}, {"down", c.downloadWidth}};
  StatusMetrics metrics;
  for (std::size_t i = 0; i < c.metricWidths.size(); ++i) {
    const std::string label = "label" + std::to_string(i);
    const std::string value = "value" + std::to_string(i);
    widths[label] = c.metricWidths[i].first;
    widths[value] = c.metricWidths[i].second;
    metrics.push_back({label, value});
  }
  ScriptedMeasurer measurer{widths};
  return layoutStatusItem("up", "down", metrics, StatusItemFonts{}, measurer.measurer());
}

TEST(StatusItemLayout, PlacesRatesAndColumns) {
  const std::vector<LayoutCase> cases = {
      {"no metrics, no gap", 25.3, 20.0, {}, 25.3, {}, {}, 35.3, 36.0},
      {"three narrow metrics take 84",
       25.0,
       25.5,
       {{9.75, 15.0}, {9.75, 10.0}, {9.75, 21.9}},
       25.5,
       {28.0, 28.0, 28.0},
       {43.5, 71.5, 99.5},
       127.5,
       128.0},
      {"a wide value widens its column and shifts the next",
       20.0,
       20.0,
       {{9.75, 30.5}, {9.75, 15.0}},
       20.0,
       {36.5, 28.0},
       {38.0, 74.5},
       102.5,
       103.0},
      {"a wide label widens its column",
       20.0,
       20.0,
       {{25.0, 15.0}},
       20.0,
       {31.0},
       {38.0},
       69.0,
       69.0},
      {"wider upload sets the rate width",
       40.25,
       20.0,
       {{9.75, 15.0}},
       40.25,
       {28.0},
       {58.25},
       86.25,
       87.0},
      {"wider download sets the rate width", 20.0, 33.0, {}, 33.0, {}, {}, 43.0, 43.0},
      {"whole-number total is not rounded",
       20.0,
       20.0,
       {{9.75, 15.0}},
       20.0,
       {28.0},
       {38.0},
       66.0,
       66.0},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const StatusItemLayout layout = layoutFor(c);
    EXPECT_DOUBLE_EQ(layout.rateWidth, c.rateWidth);
    ASSERT_EQ(layout.columnWidths.size(), c.columnWidths.size());
    ASSERT_EQ(layout.columnPositions.size(), c.columnPositions.size());
    for (std::size_t i = 0; i < c.columnWidths.size(); ++i) {
      EXPECT_DOUBLE_EQ(layout.columnWidths[i], c.columnWidths[i]) << "column " << i;
      EXPECT_DOUBLE_EQ(layout.columnPositions[i], c.columnPositions[i]) << "column " << i;
    }
    EXPECT_DOUBLE_EQ(layout.totalWidth, c.totalWidth);
    EXPECT_EQ(layout.imageSize, (platform::Size{c.imageWidth, 22.0}));
    if (!layout.columnWidths.empty()) {
      EXPECT_EQ(layout.columnPositions.back() + layout.columnWidths.back(), layout.totalWidth);
    }
  }
}

TEST(StatusItemLayout, MeasuresRatesThenEachLabelAndValueWithTheirFonts) {
  ScriptedMeasurer measurer{{{"2 KB/s", 30.0},
                             {"0 B/s", 25.0},
                             {"RAM", 9.75},
                             {"63%", 15.0},
                             {"CPU", 9.75},
                             {"--", 10.0}}};
  const StatusMetrics metrics{{"RAM", "63%"}, {"CPU", "--"}};
  layoutStatusItem("2 KB/s", "0 B/s", metrics, StatusItemFonts{}, measurer.measurer());

  using platform::FontFace;
  using platform::FontWeight;
  const platform::Font rate{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
  const platform::Font label{FontFace::system, 6.5, FontWeight::regular};
  const platform::Font value{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
  const std::vector<std::pair<std::string, platform::Font>> expected = {
      {"2 KB/s", rate}, {"0 B/s", rate}, {"RAM", label},
      {"63%", value},   {"CPU", label},  {"--", value},
  };
  EXPECT_EQ(measurer.calls, expected);
}

}  // namespace
}  // namespace agent
