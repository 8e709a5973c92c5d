#include "network_agent/sampling/cpu_usage_sampler.h"

#include <cmath>

namespace agent {

namespace {

// A count that went down (a wrapped or reset counter) gives no delta for this
// sample rather than an enormous one; active and idle are judged apart.
std::uint64_t deltaOrZero(std::uint64_t current, std::uint64_t previous) {
  return current >= previous ? current - previous : 0;
}

std::int64_t busyPercent(const CPUUsageSampler::Ticks& current,
                         const CPUUsageSampler::Ticks& previous) {
  // Summed as doubles: two 64-bit deltas could overflow a 64-bit total.
  const auto activeDelta = static_cast<double>(deltaOrZero(current.active, previous.active));
  const auto idleDelta = static_cast<double>(deltaOrZero(current.idle, previous.idle));
  const double total = activeDelta + idleDelta;
  if (total == 0.0) return 0;
  return std::llround(activeDelta / total * 100.0);
}

}  // namespace

CPUUsageSampler::CPUUsageSampler(platform::CpuTicksSource& source) : ticksSource(source) {}

std::optional<std::int64_t> CPUUsageSampler::samplePercent() {
  const std::optional<platform::CpuTicksReading> reading = ticksSource.ticks();
  if (!reading) return std::nullopt;
  const Ticks current{.active = reading->user + reading->system + reading->nice,
                      .idle = reading->idle};
  const std::int64_t percent = previousTicks ? busyPercent(current, *previousTicks) : 0;
  previousTicks = current;
  return percent;
}

}  // namespace agent
