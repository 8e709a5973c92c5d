#include <regex>
#include <string>

#include "tests/e2e/agent_fixture.h"
#include "tests/e2e/programs.h"

namespace e2e {
namespace {

// A refresh runs every second and reads the key file each time; the rest is
// the tray's round trip.
constexpr auto kOptionLimit = 1500ms;

constexpr const char* kRates = "上传 [0-9.]+ (B|KB|MB)/s · 下载 [0-9.]+ (B|KB|MB)/s";
constexpr const char* kPercent = "[0-9]{1,3}%";

// The tooltip is exactly the rates followed by `columns`.
ItemMatch tooltipIs(const std::string& columns) {
  return [expression = std::regex{std::string{kRates} + columns}](const ItemLine& item) {
    return std::regex_match(item.tooltip, expression);
  };
}

class DisplayOptionsTest : public AgentFixture {
 protected:
  // Has host-sim write the option and waits for the item to show it.
  std::optional<ItemLine> switchOption(const std::string& command, const ItemMatch& match) {
    EXPECT_TRUE(host->writeLine(command));
    return nextItem(*watch, kNetworkAgentId, match, kOptionLimit);
  }

  Process* watch = nullptr;
  Process* host = nullptr;
};

TEST_F(DisplayOptionsTest, ColumnsFollowTheKeyFileInTheOrderRamCpuGpu) {
  watch = &startWatch();
  host = &startHost();
  startAgent(kNetworkAgent, std::to_string(host->id()));

  const std::string ram = std::string{" · RAM "} + kPercent;
  const std::string cpu = std::string{" · CPU "} + kPercent;
  const std::string gpu = std::string{" · GPU (--|"} + kPercent + ")";

  const auto initial = nextItem(*watch, kNetworkAgentId, tooltipIs(ram), 10s);
  ASSERT_TRUE(initial) << "memory is shown by default";

  const auto withCpu = switchOption("cpu on", tooltipIs(ram + cpu));
  ASSERT_TRUE(withCpu) << "no CPU column after \"cpu on\"";
  EXPECT_GT(withCpu->width, initial->width) << "the CPU column widens the image";

  const auto withGpu = switchOption("gpu on", tooltipIs(ram + cpu + gpu));
  ASSERT_TRUE(withGpu) << "no GPU column after \"gpu on\"";

  const auto withoutRam = switchOption("ram off", tooltipIs(cpu + gpu));
  ASSERT_TRUE(withoutRam) << "the RAM column stays after \"ram off\"";
  EXPECT_LT(withoutRam->width, withGpu->width) << "dropping the RAM column narrows the image";
}

}  // namespace
}  // namespace e2e
