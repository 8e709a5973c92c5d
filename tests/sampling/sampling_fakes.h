#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clock.h"

namespace agent::testing {

// Both clocks are set by the test; they move independently.
class FakeClock final : public platform::Clock {
 public:
  double uptimeSeconds() override {
    ++uptimeReads;
    return uptime;
  }
  double monotonicSeconds() override { return monotonic; }

  double uptime = 0.0;
  double monotonic = 0.0;
  int uptimeReads = 0;
};

// What a fake Source gives the next sample, and the percent it must yield.
template <class Source>
struct SampleStep {
  const char* what;
  decltype(Source::reading) reading;
  std::optional<std::int64_t> percent;
};

// Samples one Sampler over one Source step by step, in order.
template <class Sampler, class Source>
void expectPercents(const std::vector<SampleStep<Source>>& steps) {
  Source source;
  Sampler sampler{source};
  for (const auto& step : steps) {
    source.reading = step.reading;
    EXPECT_EQ(sampler.samplePercent(), step.percent) << step.what;
  }
}

}  // namespace agent::testing
