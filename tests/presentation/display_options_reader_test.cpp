#include "network_agent/presentation/display_options_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "agent_common/host_contract.h"
#include "platform/fake/fake_services.h"

namespace agent {
namespace {

const std::string kSuite{kHostIdentifier};
const std::string kMemory{kShowMemoryKey};
const std::string kCPU{kShowCPUKey};
const std::string kGPU{kShowGPUKey};

class DisplayOptionsReaderTest : public ::testing::Test {
 protected:
  platform::fake::CallLog log;
  platform::fake::FakeUserDefaultsStore store{log};
};

TEST_F(DisplayOptionsReaderTest, UnopenableSuiteReadsStandardDefaults) {
  store.suitesOpen = false;
  store.suites[kSuite] = {{kCPU, true}};
  store.standardDomain = {{kMemory, false}, {kGPU, true}};
  EXPECT_EQ(DisplayOptionsReader(store, kSuite).read(), (DisplayOptions{false, false, true}));
}

class NoDefaultsStore final : public platform::UserDefaultsStore {
 public:
  std::unique_ptr<platform::UserDefaults> openSuite(const std::string&) override { return nullptr; }
  std::unique_ptr<platform::UserDefaults> standard() override { return nullptr; }
};

TEST(DisplayOptionsReaderWithoutDefaultsTest, StoreWithoutAnyDefaultsGivesDefaultOptions) {
  NoDefaultsStore store;
  EXPECT_EQ(DisplayOptionsReader(store, kSuite).read(), (DisplayOptions{true, false, false}));
}

}  // namespace
}  // namespace agent
