#include "network_agent/presentation/display_options_reader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "agent_common/host_contract.h"
#include "platform/fake/fake_services.h"

namespace agent {

void PrintTo(const DisplayOptions& options, std::ostream* os) {
  *os << "{showMemory " << options.showMemory << ", showCPU " << options.showCPU << ", showGPU "
      << options.showGPU << "}";
}

namespace {

using platform::fake::DefaultsDomain;

const std::string kSuite{kHostIdentifier};
const std::string kMemory{kShowMemoryKey};
const std::string kCPU{kShowCPUKey};
const std::string kGPU{kShowGPUKey};

struct OptionsCase {
  const char* name;
  DefaultsDomain stored;
  DisplayOptions expected;
};

void PrintTo(const OptionsCase& c, std::ostream* os) { *os << c.name; }

class DisplayOptionsReaderTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(DisplayOptionsReaderTest, ReadsStoredOptionsWithDefaultsForAbsentKeys) {
  platform::fake::CallLog log;
  platform::fake::FakeUserDefaultsStore store{log};
  store.suites[kSuite] = GetParam().stored;
  DisplayOptionsReader reader{store, kSuite};
  EXPECT_EQ(reader.read(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, DisplayOptionsReaderTest,
    ::testing::Values(
        OptionsCase{"NothingStored", {}, {true, false, false}},
        OptionsCase{"MemoryFalseOthersAbsent", {{kMemory, false}}, {false, false, false}},
        OptionsCase{"AllTrue", {{kGPU, true}, {kCPU, true}, {kMemory, true}}, {true, true, true}},
        OptionsCase{"CPUOnlyKeepsMemoryDefault", {{kCPU, true}}, {true, true, false}},
        OptionsCase{"ExplicitFalseEverywhere",
                    {{kMemory, false}, {kCPU, false}, {kGPU, false}},
                    {false, false, false}},
        OptionsCase{"NonBooleanTruthyValues",
                    {{kMemory, std::string{"YES"}}, {kCPU, 2.0}, {kGPU, std::string{"1"}}},
                    {true, true, true}},
        OptionsCase{"NonBooleanFalsyMemoryHidesColumn",
                    {{kMemory, std::string{"maybe"}}, {kCPU, 0.0}, {kGPU, std::string{"0"}}},
                    {false, false, false}},
        OptionsCase{
            "EmptyStringMemoryHidesColumn", {{kMemory, std::string{}}}, {false, false, false}},
        OptionsCase{"OtherKeysIgnored", {{"networkSpeedShowCPU", true}}, {true, false, false}}),
    [](const auto& info) { return std::string{info.param.name}; });

TEST(DisplayOptionsReader, UnopenableSuiteReadsStandardDefaults) {
  platform::fake::CallLog log;
  platform::fake::FakeUserDefaultsStore store{log};
  store.suitesOpen = false;
  store.suites[kSuite] = {{kCPU, true}};
  DisplayOptionsReader reader{store, kSuite};
  EXPECT_EQ(reader.read(), (DisplayOptions{true, false, false}));

  store.standardDomain = {{kMemory, false}, {kGPU, true}};
  EXPECT_EQ(reader.read(), (DisplayOptions{false, false, true}));
  EXPECT_EQ(log.withPrefix("defaults.standard").size(), 1u);
}

TEST(DisplayOptionsReader, OpensSuiteOnceAndSynchronizesOnEveryRead) {
  platform::fake::CallLog log;
  platform::fake::FakeUserDefaultsStore store{log};
  DisplayOptionsReader reader{store, kSuite};
  EXPECT_EQ(reader.read(), (DisplayOptions{true, false, false}));

  // The fake's reads see the stored domain only after synchronize.
  store.suites[kSuite] = {{kMemory, false}, {kCPU, true}};
  EXPECT_EQ(reader.read(), (DisplayOptions{false, true, false}));
  store.suites[kSuite].erase(kMemory);
  EXPECT_EQ(reader.read(), (DisplayOptions{true, true, false}));

  EXPECT_EQ(log.withPrefix("defaults.openSuite"),
            std::vector<std::string>{"defaults.openSuite(" + kSuite + ")"});
  EXPECT_EQ(log.withPrefix("defaults.synchronize").size(), 3u);
  EXPECT_TRUE(log.withPrefix("defaults.standard").empty());
}

class NoDefaultsStore : public platform::UserDefaultsStore {
 public:
  std::unique_ptr<platform::UserDefaults> openSuite(const std::string&) override { return nullptr; }
  std::unique_ptr<platform::UserDefaults> standard() override { return nullptr; }
};

TEST(DisplayOptionsReader, StoreWithoutAnyDefaultsGivesDefaultOptions) {
  NoDefaultsStore store;
  DisplayOptionsReader reader{store, kSuite};
  EXPECT_EQ(reader.read(), (DisplayOptions{true, false, false}));
}

}  // namespace
}  // namespace agent
