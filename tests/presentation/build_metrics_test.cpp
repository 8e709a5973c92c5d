#include "network_agent/presentation/build_metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace agent {
namespace {

class CountingSampler : public LoadSampler {
 public:
  CountingSampler(std::string name, std::optional<std::int64_t> reading,
                  std::vector<std::string>& askedOrder)
      : name(std::move(name)), reading(reading), askedOrder(askedOrder) {}
  std::optional<std::int64_t> samplePercent() override {
    ++calls;
    askedOrder.push_back(name);
    return reading;
  }

  std::string name;
  std::optional<std::int64_t> reading;
  std::vector<std::string>& askedOrder;
  int calls = 0;
};

TEST(PercentText, AbsentIsTwoHyphensAndPresentIsDigitsWithPercent) {
  EXPECT_EQ(percentText(std::nullopt), "--");
  EXPECT_EQ(percentText(0), "0%");
  EXPECT_EQ(percentText(7), "7%");
  EXPECT_EQ(percentText(42), "42%");
  EXPECT_EQ(percentText(100), "100%");
}

struct MetricsCase {
  DisplayOptions options;
  StatusMetrics expected;
};

TEST(BuildMetrics, ShownColumnsInOrderAndHiddenSamplersNeverAsked) {
  const std::vector<MetricsCase> cases = {
      {{false, false, false}, {}},
      {{true, false, false}, {{"RAM", "63%"}}},
      {{false, true, false}, {{"CPU", "7%"}}},
      {{false, false, true}, {{"GPU", "--"}}},
      {{true, true, false}, {{"RAM", "63%"}, {"CPU", "7%"}}},
      {{true, false, true}, {{"RAM", "63%"}, {"GPU", "--"}}},
      {{false, true, true}, {{"CPU", "7%"}, {"GPU", "--"}}},
      {{true, true, true}, {{"RAM", "63%"}, {"CPU", "7%"}, {"GPU", "--"}}},
  };
  for (const MetricsCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "memory " << c.options.showMemory << " cpu "
                                      << c.options.showCPU << " gpu " << c.options.showGPU);
    std::vector<std::string> asked;
    CountingSampler memory{"memory", 63, asked};
    CountingSampler cpu{"cpu", 7, asked};
    CountingSampler gpu{"gpu", std::nullopt, asked};

    EXPECT_EQ(buildMetrics(c.options, memory, cpu, gpu), c.expected);
    EXPECT_EQ(memory.calls, c.options.showMemory ? 1 : 0);
    EXPECT_EQ(cpu.calls, c.options.showCPU ? 1 : 0);
    EXPECT_EQ(gpu.calls, c.options.showGPU ? 1 : 0);
    EXPECT_EQ(asked.size(), c.expected.size());
  }
}

TEST(BuildMetrics, SamplersAreAskedMemoryThenCPUThenGPU) {
  std::vector<std::string> asked;
  CountingSampler memory{"memory", 1, asked};
  CountingSampler cpu{"cpu", 2, asked};
  CountingSampler gpu{"gpu", 3, asked};
  buildMetrics({true, true, true}, memory, cpu, gpu);
  EXPECT_EQ(asked, (std::vector<std::string>{"memory", "cpu", "gpu"}));
}

TEST(BuildMetrics, FailedMemoryReadingKeepsItsColumnWithHyphens) {
  std::vector<std::string> asked;
  CountingSampler memory{"memory", std::nullopt, asked};
  CountingSampler cpu{"cpu", 0, asked};
  CountingSampler gpu{"gpu", 100, asked};
  EXPECT_EQ(buildMetrics({true, true, true}, memory, cpu, gpu),
            (StatusMetrics{{"RAM", "--"}, {"CPU", "0%"}, {"GPU", "100%"}}));
}

}  // namespace
}  // namespace agent
