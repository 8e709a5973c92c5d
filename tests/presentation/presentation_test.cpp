#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agent_common/host_contract.h"
#include "network_agent/presentation/build_metrics.h"
#include "network_agent/presentation/display_options_reader.h"
#include "network_agent/presentation/status_item_layout.h"
#include "network_agent/presentation/status_item_renderer.h"
#include "platform/fake/fake_graphics.h"
#include "platform/fake/fake_services.h"

namespace agent {
namespace {

using platform::Color;
using platform::Font;
using platform::FontFace;
using platform::FontWeight;
using platform::fake::formatNumber;
using ::testing::Return;

const std::string kSuite{kHostIdentifier};

class NoDefaultsStore final : public platform::UserDefaultsStore {
 public:
  std::unique_ptr<platform::UserDefaults> openSuite(const std::string&) override { return nullptr; }
  std::unique_ptr<platform::UserDefaults> standard() override { return nullptr; }
};

TEST(DisplayOptionsReader, AnUnopenableSuiteReadsTheStandardDefaultsAndNoDefaultsReadAsDefault) {
  platform::fake::CallLog log;
  platform::fake::FakeUserDefaultsStore store{log};
  store.suitesOpen = false;
  store.suites[kSuite] = {{"networkSpeedShowCPUV1", true}};
  store.standardDomain = {{"networkSpeedShowMemoryV1", false}, {"networkSpeedShowGPUV1", true}};
  EXPECT_EQ(DisplayOptionsReader(store, kSuite).read(), (DisplayOptions{false, false, true}));
  NoDefaultsStore none;
  EXPECT_EQ(DisplayOptionsReader(none, kSuite).read(), (DisplayOptions{true, false, false}));
}

struct MockSampler : LoadSampler {
  MOCK_METHOD(std::optional<std::int64_t>, samplePercent, (), (override));
};

// Absent readings show as "--", others as digits and a percent sign.
TEST(BuildMetrics, ShownSamplersAreAskedOnceInColumnOrderAndHiddenOnesNever) {
  const struct {
    DisplayOptions options;
    StatusMetrics expected;
  } cases[] = {
      {{false, false, false}, {}},
      {{true, false, false}, {{"RAM", "100%"}}},
      {{false, true, true}, {{"CPU", "0%"}, {"GPU", "--"}}},
      {{true, true, true}, {{"RAM", "100%"}, {"CPU", "0%"}, {"GPU", "--"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected.size());
    ::testing::StrictMock<MockSampler> memory, cpu, gpu;
    const ::testing::InSequence columnOrder;
    if (c.options.showMemory) EXPECT_CALL(memory, samplePercent()).WillOnce(Return(100));
    if (c.options.showCPU) EXPECT_CALL(cpu, samplePercent()).WillOnce(Return(0));
    if (c.options.showGPU) EXPECT_CALL(gpu, samplePercent()).WillOnce(Return(std::nullopt));
    EXPECT_EQ(buildMetrics(c.options, memory, cpu, gpu), c.expected);
  }
}

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

std::string rgba(const Color& c) {
  return "rgba(" + formatNumber(c.red) + ", " + formatNumber(c.green) + ", " +
         formatNumber(c.blue) + ", " + formatNumber(c.alpha) + ")";
}

// One readable line per operation, with exact numbers, so a whole drawing
// compares in one assertion and a mismatch shows where it differs.
std::string textLine(const std::string& text, double x, double y, const Font& font,
                     const Color& color) {
  return "\"" + text + "\" at (" + formatNumber(x) + ", " + formatNumber(y) + ") " +
         (font.face == FontFace::system ? "system " : "digits ") + formatNumber(font.size) +
         " weight " + std::to_string(static_cast<int>(font.weight)) + " " + rgba(color);
}

TEST(StatusItemRenderer, DrawsArrowsRatesAndColumnsInOrderWithTheirFontsColoursAndPoints) {
  const Font arrowFont{FontFace::system, 8.0, FontWeight::medium};
  const Font rateFont{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
  const Font labelFont{FontFace::system, 6.5, FontWeight::regular};
  const Font valueFont{FontFace::monospacedDigitSystem, 10.0, FontWeight::regular};
  const Color primary{1.0, 1.0, 1.0, 1.0};
  const Color secondary{1.0, 1.0, 1.0, 0.72};
  const Color metricValue{1.0, 1.0, 1.0, 0.86};
  platform::fake::FakeGraphics graphics;
  StatusItemRenderer renderer{graphics};
  // "2 KB/s" is 30 wide, "0 B/s" 25: the first column starts at 10 + 30 + 8.
  const auto image = renderer.image({1600.0, 0.0}, StatusMetrics{{"RAM", "63%"}, {"CPU", "--"}});

  ASSERT_THAT(graphics.images, ::testing::ElementsAre(image));
  EXPECT_EQ(image->size(), (platform::Size{104.0, 22.0}));
  std::vector<std::string> drawn;
  for (const auto& op : graphics.images[0]->operations) {
    drawn.push_back(op.kind == platform::fake::DrawOperation::Kind::fill
                        ? "fill " + rgba(op.color)
                        : textLine(op.text, op.at.x, op.at.y, op.font, op.color));
  }
  const std::vector<std::string> expected = {
      "fill " + rgba({0.0, 0.0, 0.0, 0.0}),
      textLine("↑", 0.0, 12.2, arrowFont, {1.0, 0.25, 0.19, 1.0}),
      textLine("↓", 0.0, 2.2, arrowFont, {0.11, 0.55, 1.0, 1.0}),
      textLine("2 KB/s", 10.0, 9.0, rateFont, primary),
      textLine("0 B/s", 10.0, -0.1, rateFont, primary),
      textLine("RAM", 48.0, 11.3, labelFont, secondary),
      textLine("63%", 48.0, 0.0, valueFont, metricValue),
      textLine("CPU", 76.0, 11.3, labelFont, secondary),
      textLine("--", 76.0, 0.0, valueFont, metricValue),
  };
  EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace agent
