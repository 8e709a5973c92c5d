#include "network_agent/presentation/status_item_renderer.h"

#include <string>

#include "network_agent/presentation/status_item_layout.h"
#include "network_agent/sampling/rate_text.h"

namespace agent {
namespace {

constexpr platform::Color kClearColor{0.0, 0.0, 0.0, 0.0};
constexpr double kArrowX = 0.0;
constexpr double kUploadArrowY = 12.2;
constexpr double kDownloadArrowY = 2.2;
constexpr double kUploadTextY = 9.0;
// Slightly below the bottom edge, so the two rate lines fit 22 points.
constexpr double kDownloadTextY = -0.1;
constexpr double kMetricLabelY = 11.3;
constexpr double kMetricValueY = 0.0;

}  // namespace

std::shared_ptr<platform::Image> StatusItemRenderer::image(const NetworkSnapshot& network,
                                                           const StatusMetrics& metrics) {
  const std::string uploadText = menuRate(network.uploadBytesPerSecond);
  const std::string downloadText = menuRate(network.downloadBytesPerSecond);
  const StatusItemFonts fonts;
  const StatusItemLayout layout =
      layoutStatusItem(uploadText, downloadText, metrics, fonts,
                       [this](const std::string& text, const platform::Font& font) {
                         return graphics.textWidth(text, font);
                       });

  std::shared_ptr<platform::Image> image = graphics.newImage(layout.imageSize);
  image->fill(kClearColor);
  image->drawText("↑", {kArrowX, kUploadArrowY}, fonts.arrow, uploadColor);
  image->drawText("↓", {kArrowX, kDownloadArrowY}, fonts.arrow, downloadColor);
  image->drawText(uploadText, {kRateTextX, kUploadTextY}, fonts.rate, primaryTextColor);
  image->drawText(downloadText, {kRateTextX, kDownloadTextY}, fonts.rate, primaryTextColor);
  for (std::size_t i = 0; i < metrics.size(); ++i) {
    const double x = layout.columnPositions[i];
    image->drawText(metrics[i].label, {x, kMetricLabelY}, fonts.label, secondaryTextColor);
    image->drawText(metrics[i].value, {x, kMetricValueY}, fonts.value, metricValueColor);
  }
  return image;
}

}  // namespace agent
