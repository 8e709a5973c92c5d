#pragma once

#include <functional>
#include <string>
#include <vector>

#include "network_agent/presentation/status_metric.h"
#include "platform/graphics.h"

namespace agent {

// Geometry of the status-bar image, in points.
inline constexpr double kStatusImageHeight = 22.0;
// Where the rate texts start: the width of the arrow column.
inline constexpr double kRateTextX = 10.0;
// Between the rate texts and the first metric column, only when there is one.
inline constexpr double kMetricGap = 8.0;
// The narrowest content of a metric column, before its margin.
inline constexpr double kMinimumColumnContentWidth = 22.0;
// Added to the right of each metric column's content.
inline constexpr double kColumnMargin = 6.0;

// The fonts of the status-bar image. They are descriptions, made anew for
// every image.
struct StatusItemFonts {
  platform::Font arrow{platform::FontFace::system, 8.0, platform::FontWeight::medium};
  platform::Font rate{platform::FontFace::monospacedDigitSystem, 10.0,
                      platform::FontWeight::regular};
  platform::Font label{platform::FontFace::system, 6.5, platform::FontWeight::regular};
  platform::Font value{platform::FontFace::monospacedDigitSystem, 10.0,
                       platform::FontWeight::regular};
};

// Where everything goes in one status-bar image. Widths and positions are
// unrounded; only imageSize is rounded up to whole points.
struct StatusItemLayout {
  // The wider of the two rate texts.
  double rateWidth = 0.0;
  // One entry per metric, in list order, margin included.
  std::vector<double> columnWidths;
  // The left edge of each metric column, shared by its label and value.
  std::vector<double> columnPositions;
  // The right edge of the last column (or of the rates when there is none).
  double totalWidth = 0.0;
  platform::Size imageSize;
};

// Width in points of a text drawn with the font alone.
using TextMeasurer = std::function<double(const std::string& text, const platform::Font& font)>;

// Measures the upload text and the download text with the rate font, then
// each metric's label with the label font and its value with the value font,
// in that order, and places the columns.
StatusItemLayout layoutStatusItem(const std::string& uploadText, const std::string& downloadText,
                                  const StatusMetrics& metrics, const StatusItemFonts& fonts,
                                  const TextMeasurer& measure);

}  // namespace agent
