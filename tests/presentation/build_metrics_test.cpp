#include "network_agent/presentation/build_metrics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace agent {
namespace {

// Answers with a fixed reading and notes its label in the shared list when asked.
struct RecordingSampler final : LoadSampler {
  RecordingSampler(const char* label, std::optional<std::int64_t> reading,
                   std::vector<std::string>& asked)
      : label(label), reading(reading), asked(asked) {}
  std::optional<std::int64_t> samplePercent() override {
    asked.push_back(label);
    return reading;
  }

  const char* label = nullptr;
  std::optional<std::int64_t> reading;
  std::vector<std::string>& asked;
};

// Absent readings show as "--", others as digits and a percent sign.
TEST(BuildMetrics, ShownSamplersAreAskedOnceInColumnOrderAndHiddenOnesNever) {
  const struct {
    DisplayOptions options;
    StatusMetrics expected;
  } cases[] = {
      {{false, false, false}, {}},
      {{true, false, false}, {{"RAM", "100%"}}},
      {{false, true, true}, {{"CPU", "0%"}, {"GPU", "--"}}},
      {{true, true, true}, {{"RAM", "100%"}, {"CPU", "0%"}, {"GPU", "--"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected.size());
    std::vector<std::string> asked;
    RecordingSampler memory{"RAM", 100, asked};
    RecordingSampler cpu{"CPU", 0, asked};
    RecordingSampler gpu{"GPU", std::nullopt, asked};
    EXPECT_EQ(buildMetrics(c.options, memory, cpu, gpu), c.expected);
    std::vector<std::string> shown;
    for (const StatusMetric& metric : c.expected) shown.push_back(metric.label);
    EXPECT_EQ(asked, shown);
  }
}

}  // namespace
}  // namespace agent
