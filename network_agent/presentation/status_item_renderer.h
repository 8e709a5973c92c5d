#pragma once

#include <memory>

#include "network_agent/presentation/status_metric.h"
#include "network_agent/sampling/network_snapshot.h"
#include "platform/graphics.h"

namespace agent {

// Draws the status-bar image: an upload and a download line, each a coloured
// arrow and a rate text, then one column per metric with a small label above
// its value. Keeps nothing between calls but its colours.
class StatusItemRenderer {
 public:
  // The graphics layer must outlive the renderer.
  explicit StatusItemRenderer(platform::Graphics& graphics) : graphics(graphics) {}

  // A new image 22 points high whose width, rounded up to whole points, fits
  // the rate texts and the metric columns in list order. The caller owns it.
  std::shared_ptr<platform::Image> image(const NetworkSnapshot& network,
                                         const StatusMetrics& metrics);

  const platform::Color uploadColor{1.0, 0.25, 0.19, 1.0};
  const platform::Color downloadColor{0.11, 0.55, 1.0, 1.0};
  const platform::Color primaryTextColor{1.0, 1.0, 1.0, 1.0};
  const platform::Color secondaryTextColor{1.0, 1.0, 1.0, 0.72};
  const platform::Color metricValueColor{1.0, 1.0, 1.0, 0.86};

 private:
  platform::Graphics& graphics;
};

}  // namespace agent
