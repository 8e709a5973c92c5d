#include "network_agent/presentation/build_metrics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace agent {
namespace {

// Answers with a fixed reading and notes its label in the shared list when asked.
class RecordingSampler final : public LoadSampler {
 public:
  RecordingSampler(std::string label, std::optional<std::int64_t> reading,
                   std::vector<std::string>& asked)
      : label(std::move(label)), reading(reading), asked(asked) {}
  std::optional<std::int64_t> samplePercent() override {
    asked.push_back(label);
    return reading;
  }

  std::string label;
  std::optional<std::int64_t> reading;
  std::vector<std::string>& asked;
};

TEST(PercentText, AbsentIsTwoHyphensAndPresentIsDigitsWithPercent) {
  EXPECT_EQ(percentText(std::nullopt), "--");
  EXPECT_EQ(percentText(0), "0%");
  EXPECT_EQ(percentText(100), "100%");
}

TEST(BuildMetrics, ShownSamplersAreAskedOnceInColumnOrderAndHiddenOnesNever) {
  const struct {
    DisplayOptions options;
    StatusMetrics expected;
  } cases[] = {
      {{false, false, false}, {}},
      {{true, false, false}, {{"RAM", "63%"}}},
      {{false, true, true}, {{"CPU", "7%"}, {"GPU", "--"}}},
      {{true, true, true}, {{"RAM", "63%"}, {"CPU", "7%"}, {"GPU", "--"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected.size());
    std::vector<std::string> asked;
    RecordingSampler memory{"RAM", 63, asked};
    RecordingSampler cpu{"CPU", 7, asked};
    RecordingSampler gpu{"GPU", std::nullopt, asked};
    EXPECT_EQ(buildMetrics(c.options, memory, cpu, gpu), c.expected);
    std::vector<std::string> shown;
    for (const StatusMetric& metric : c.expected) shown.push_back(metric.label);
    EXPECT_EQ(asked, shown);
  }
}

}  // namespace
}  // namespace agent
