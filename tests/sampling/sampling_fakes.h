#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace agent::testing {

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
