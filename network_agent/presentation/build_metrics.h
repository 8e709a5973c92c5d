#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "network_agent/presentation/display_options.h"
#include "network_agent/presentation/status_metric.h"
#include "network_agent/sampling/load_sampler.h"

namespace agent {

// The value text of a load column: the whole percentage followed by "%"
// ("7%", "100%"), or "--" when there is no reading.
std::string percentText(std::optional<std::int64_t> percent);

// The load columns to show, in the order RAM, CPU, GPU. Only the samplers of
// shown columns are asked, so a hidden column's sampler keeps its state.
StatusMetrics buildMetrics(const DisplayOptions& options, LoadSampler& memory, LoadSampler& cpu,
                           LoadSampler& gpu);

}  // namespace agent
