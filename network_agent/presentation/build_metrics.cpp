#include "network_agent/presentation/build_metrics.h"

namespace agent {

std::string percentText(std::optional<std::int64_t> percent) {
  if (!percent) return "--";
  // std::to_string of an integer never groups digits, whatever the locale.
  return std::to_string(*percent) + "%";
}

StatusMetrics buildMetrics(const DisplayOptions& options, LoadSampler& memory, LoadSampler& cpu,
                           LoadSampler& gpu) {
  StatusMetrics metrics;
  if (options.showMemory) metrics.push_back({"RAM", percentText(memory.samplePercent())});
  if (options.showCPU) metrics.push_back({"CPU", percentText(cpu.samplePercent())});
  if (options.showGPU) metrics.push_back({"GPU", percentText(gpu.samplePercent())});
  return metrics;
}

}  // namespace agent
