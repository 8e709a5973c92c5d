#include "platform/linux/linux_gpu_utilization.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // path under the drm folder, contents

std::string busy(const std::string& card) { return card + "/device/gpu_busy_percent"; }

class LinuxGpuUtilizationTest : public ::testing::Test {
 protected:
  void write(const Files& files) {
    fs::remove_all(drm);
    for (const auto& [path, contents] : files) {
      fs::create_directories((drm / path).parent_path());
      std::ofstream(drm / path) << contents;
    }
  }

  test_support::TempDir folder;
  fs::path drm = folder.path() / "drm";
};

TEST_F(LinuxGpuUtilizationTest, SysfsGivesTheBusiestCard) {
  const std::string suspended = "card0/device/power/runtime_status";
  for (const auto& [files, expected] :
       std::initializer_list<std::pair<Files, std::optional<std::int64_t>>>{
           {{{busy("card1"), "10\n"}, {busy("card0"), "20\n"}}, 20},
           {{{busy("card10"), "7\n"}, {busy("card2"), "5"}}, 7},
           {{{busy("card0-DP-1"), "99\n"}, {busy("card1"), "3\n"}}, 3},
           {{{busy("card0"), "250\n"}}, 100},
           {{{busy("card0"), "busy\n"}, {busy("card1"), "42\n"}}, 42},
           // Reading a runtime-suspended card's file would wake it.
           {{{suspended, "suspended\n"}, {busy("card0"), "61\n"}}, 0},
           {{{suspended, "suspended\n"}, {busy("card0"), "61\n"}, {busy("card1"), "30\n"}}, 30},
           {{{busy("card0"), "99999999999999999999\n"}, {busy("card1"), "3\n"}}, 100},
           {{{busy("card0"), "-5\n"}}, std::nullopt},
           {{}, std::nullopt}}) {
    write(files);
    EXPECT_EQ(LinuxGpuUtilization(drm, folder.path() / "absent.so").readDeviceUtilization(),
              expected)
        << ::testing::PrintToString(files);
  }
}

TEST_F(LinuxGpuUtilizationTest, NvmlAnswersOnlyWhenSysfsCannotAndIsRetriedAfterTheBackOff) {
  // Held open by the test, so that the stand-in's globals are the ones the
  // reader's own dlopen sees.
  const std::unique_ptr<void, int (*)(void*)> fake{dlopen(STANDIN_NVML_PATH, RTLD_NOW), dlclose};
  ASSERT_NE(fake, nullptr);
  const auto global = [&](const char* name) -> int& {
    return *static_cast<int*>(dlsym(fake.get(), name));
  };
  int& initCalls = global("standin_nvml_init_calls");
  int& shutdownCalls = global("standin_nvml_shutdown_calls");
  int& gpu = global("standin_nvml_gpu");
  initCalls = shutdownCalls = 0;
  global("standin_nvml_init_result") = 9;
  {
    LinuxGpuUtilization source(drm, STANDIN_NVML_PATH);
    write({{busy("card0"), "55\n"}, {"card1/device/vendor", "0x8086\n"}});
    EXPECT_TRUE(source.readCallsDriver());
    EXPECT_EQ(source.readDeviceUtilization(), 55);
    EXPECT_EQ(initCalls, 0);
    // Between two tries at NVML a read would call no driver: it is skipped,
    // and counts toward the back-off.
    write({{"card1/device/vendor", "0x8086\n"}});
    for (int call = 0; call <= LinuxGpuUtilization::kNvmlRetryCalls; ++call) {
      const bool callsDriver = source.readCallsDriver();
      EXPECT_EQ(callsDriver, call == 0) << call;
      if (callsDriver) {
        EXPECT_EQ(source.readDeviceUtilization(), std::nullopt);
      }
    }
    EXPECT_EQ(initCalls, 1);
    global("standin_nvml_init_result") = 0;
    gpu = 250;
    EXPECT_TRUE(source.readCallsDriver());
    EXPECT_EQ(source.readDeviceUtilization(), 100);
    EXPECT_TRUE(source.readCallsDriver()) << "NVML loaded";
    gpu = 37;
    EXPECT_EQ(source.readDeviceUtilization(), 37);
    EXPECT_EQ(initCalls, 2);
    EXPECT_EQ(shutdownCalls, 0);
  }
  EXPECT_EQ(shutdownCalls, 1);
}

}  // namespace
}  // namespace platform::linuxdesktop
