#include "network_agent/presentation/status_item_layout.h"

#include <algorithm>
#include <cmath>

namespace agent {

StatusItemLayout layoutStatusItem(const std::string& uploadText, const std::string& downloadText,
                                  const StatusMetrics& metrics, const StatusItemFonts& fonts,
                                  const TextMeasurer& measure) {
  StatusItemLayout layout;
  const double uploadWidth = measure(uploadText, fonts.rate);
  const double downloadWidth = measure(downloadText, fonts.rate);
  layout.rateWidth = std::max(uploadWidth, downloadWidth);

  for (const StatusMetric& metric : metrics) {
    const double labelWidth = measure(metric.label, fonts.label);
    const double valueWidth = measure(metric.value, fonts.value);
    const double content = std::max({kMinimumColumnContentWidth, labelWidth, valueWidth});
    layout.columnWidths.push_back(content + kColumnMargin);
  }

  const double gap = metrics.empty() ? 0.0 : kMetricGap;
  // Positions and the total are summed in the same order, so the last
  // column's right edge lands exactly on the total width.
  double x = kRateTextX + layout.rateWidth + gap;
  for (const double width : layout.columnWidths) {
    layout.columnPositions.push_back(x);
    x += width;
  }
  layout.totalWidth = x;
  layout.imageSize = {std::ceil(layout.totalWidth), kStatusImageHeight};
  return layout;
}

}  // namespace agent
