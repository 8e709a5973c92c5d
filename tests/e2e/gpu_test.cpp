#include <signal.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/e2e/agent_fixture.h"

namespace e2e {
namespace {

using GpuTest = AgentFixture;

// The network item's line in `tray-view watch` when its tooltip ends with
// these columns.
LineMatch tooltipEndsWith(const std::string& columns) {
  return [expression = std::regex{"item network-status-agent .* tooltip=\"上传 .*" + columns +
                                  "\" icon=.*"}](const std::string& line) {
    return std::regex_match(line, expression);
  };
}

// Each stand-in NVML, found as libnvidia-ml.so.1 on the library path. Whatever
// the library does, the agent keeps refreshing (the tooltip follows an option
// within a second and a half) and its watchdog ends it, with status 0 and
// nothing on standard error, once its host is gone.
TEST_F(GpuTest, AnyNvmlLeavesTheAgentRefreshingAndEndingOnTime) {
  // Where the kernel reports a GPU's load itself NVML is never asked.
  std::error_code error;
  for (const auto& card : std::filesystem::directory_iterator("/sys/class/drm", error)) {
    if (std::filesystem::exists(card.path() / "device/gpu_busy_percent", error)) {
      GTEST_SKIP() << "the kernel reports a GPU's load: NVML is not used";
    }
  }
  const struct {
    const char* library;
    std::string gpu;  // the column once the agent has read it for a while
  } cases[] = {{"blocks", "--"}, {"slow", "37%"}, {"fails", "--"}, {"missing", "--"}};
  const std::string options = "config/com.velmora.app/defaults.conf";
  const std::string gpuOnly =
      "[Defaults]\nnetworkSpeedShowMemoryV1=false\nnetworkSpeedShowGPUV1=true\n";
  for (const auto& [library, gpu] : cases) {
    SCOPED_TRACE(library);
    Process& watch = start({kTrayView, "watch"});
    writeFile(options, gpuOnly);
    Process& host = startSleeper();
    Process& agent = startAgent(kNetworkAgent, std::to_string(host.id()),
                                {"env", "STANDIN_NVML=" + std::string{library},
                                 "LD_LIBRARY_PATH=" + std::string{E2E_NVML_FOLDERS} +
                                     (library == std::string{"missing"} ? "missing" : "standin")});
    // Reads are asked for every three seconds; a slow one's figure shows
    // from the second on.
    EXPECT_TRUE(watch.next(tooltipEndsWith(" · GPU " + gpu), 10s)) << "the item never showed";
    writeFile(options, gpuOnly + "networkSpeedShowCPUV1=true\n");
    EXPECT_TRUE(watch.next(tooltipEndsWith(" · CPU [0-9]+% · GPU " + gpu), 1500ms))
        << "the refresh stopped";
    kill(host.id(), SIGKILL);
    host.waitForExit(1s);  // reaped: a zombie would still answer kill(pid, 0)
    EXPECT_EQ(agent.waitForExit(3s), 0) << "the watchdog did not end the agent";
  }
}

}  // namespace
}  // namespace e2e
