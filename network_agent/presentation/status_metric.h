#pragma once

#include <string>
#include <vector>

namespace agent {

// One load column of the status-bar image and one entry of the tooltip.
struct StatusMetric {
  std::string label;
  std::string value;
  bool operator==(const StatusMetric&) const = default;
};

using StatusMetrics = std::vector<StatusMetric>;

}  // namespace agent
