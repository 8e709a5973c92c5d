#include "platform/linux/linux_gpu_utilization.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "tests/linux_system/temp_dir.h"

namespace platform::linuxdesktop {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the stand-in NVML and restores it after.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) previous = old;
    setenv(name, value, 1);
  }
  ~ScopedVariable() {
    if (previous) setenv(name, previous->c_str(), 1);
    if (!previous) unsetenv(name);
  }

 private:
  const char* name = nullptr;
  std::optional<std::string> previous;
};

// Counters kept by the stand-in library. The test holds the library open
// itself, so the counters outlive the reader's own dlopen and dlclose.
class FakeNvml {
 public:
  explicit FakeNvml(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle == nullptr) return;
    initCalls = static_cast<int*>(dlsym(handle, "fake_nvml_init_calls"));
    shutdownCalls = static_cast<int*>(dlsym(handle, "fake_nvml_shutdown_calls"));
    if (auto reset = reinterpret_cast<void (*)()>(dlsym(handle, "fake_nvml_reset"))) reset();
  }
  ~FakeNvml() {
    if (handle != nullptr) dlclose(handle);
  }
  bool loaded() const { return initCalls != nullptr && shutdownCalls != nullptr; }

  void* handle = nullptr;
  int* initCalls = nullptr;
  int* shutdownCalls = nullptr;
};

class LinuxGpuUtilizationTest : public ::testing::Test {
 protected:
  void writeBusy(const std::string& card, const std::string& value) {
    const fs::path device = drm / card / "device";
    fs::create_directories(device);
    std::ofstream(device / "gpu_busy_percent") << value;
  }

  testing::TempDir folder;
  fs::path drm = folder.path() / "drm";
  std::string noNvml = (folder.path() / "libnvidia-ml-absent.so.1").string();
};

TEST_F(LinuxGpuUtilizationTest, SysfsCardsAreReadLowestNumberFirst) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> cards;
    std::optional<std::int64_t> expected;
  };
  for (const Case& c : {
           Case{"card0 before card1", {{"card1", "10\n"}, {"card0", "20\n"}}, 20},
           Case{"card2 before card10", {{"card10", "5\n"}, {"card2", "7\n"}}, 7},
           Case{"connectors are not cards", {{"card0-DP-1", "99\n"}, {"card1", "3\n"}}, 3},
           Case{"renderD nodes are not cards", {{"renderD128", "99\n"}}, std::nullopt},
           Case{"above 100 reads as 100", {{"card0", "250\n"}}, 100},
           Case{"zero and no newline", {{"card0", "0"}}, 0},
           Case{"garbage falls through to the next card",
                {{"card0", "busy\n"}, {"card1", "42\n"}},
                42},
           Case{"negative falls through", {{"card0", "-5\n"}, {"card1", "8\n"}}, 8},
           Case{"empty file falls through", {{"card0", ""}, {"card1", "9"}}, 9},
           Case{"too large for 64 bits", {{"card0", "99999999999999999999\n"}}, std::nullopt},
           Case{"decimal", {{"card0", "37.5\n"}}, std::nullopt},
           Case{"no cards", {}, std::nullopt},
       }) {
    fs::remove_all(drm);
    fs::create_directories(drm);
    for (const auto& [card, value] : c.cards) writeBusy(card, value);
    LinuxGpuUtilization source(drm.string(), noNvml);
    EXPECT_EQ(source.readDeviceUtilization(), c.expected) << c.name;
  }
}

TEST_F(LinuxGpuUtilizationTest, RuntimeSuspendedCardReadsZeroWithoutItsFileBeingRead) {
  writeBusy("card0", "not read\n");
  fs::create_directories(drm / "card0" / "device" / "power");
  std::ofstream(drm / "card0" / "device" / "power" / "runtime_status") << "suspended\n";
  LinuxGpuUtilization source(drm.string(), noNvml);
  EXPECT_EQ(source.readDeviceUtilization(), 0);
  std::ofstream(drm / "card0" / "device" / "power" / "runtime_status") << "active\n";
  writeBusy("card0", "61\n");
  EXPECT_EQ(source.readDeviceUtilization(), 61);
}

TEST_F(LinuxGpuUtilizationTest, CardWithoutTheFileIsSkipped) {
  fs::create_directories(drm / "card0" / "device");
  writeBusy("card1", "12\n");
  EXPECT_EQ(LinuxGpuUtilization(drm.string(), noNvml).readDeviceUtilization(), 12);
  EXPECT_EQ(
      LinuxGpuUtilization((folder.path() / "absent").string(), noNvml).readDeviceUtilization(),
      std::nullopt);
}

TEST_F(LinuxGpuUtilizationTest, NvmlAnswersWhenSysfsCannotAndIsShutDownAtTheEnd) {
  FakeNvml fake(FAKE_NVML_PATH);
  ASSERT_TRUE(fake.loaded());
  ScopedVariable mode("FAKE_NVML_MODE", "ok");
  ScopedVariable gpu("FAKE_NVML_GPU", "37");
  {
    LinuxGpuUtilization source(drm.string(), FAKE_NVML_PATH);
    EXPECT_EQ(source.readDeviceUtilization(), 37);
    ScopedVariable busier("FAKE_NVML_GPU", "250");
    EXPECT_EQ(source.readDeviceUtilization(), 100);
    EXPECT_EQ(*fake.initCalls, 1);
    EXPECT_EQ(*fake.shutdownCalls, 0);
  }
  EXPECT_EQ(*fake.shutdownCalls, 1);
}

TEST_F(LinuxGpuUtilizationTest, SysfsReadingLeavesNvmlUnloaded) {
  FakeNvml fake(FAKE_NVML_PATH);
  ASSERT_TRUE(fake.loaded());
  writeBusy("card0", "55\n");
  LinuxGpuUtilization source(drm.string(), FAKE_NVML_PATH);
  EXPECT_EQ(source.readDeviceUtilization(), 55);
  EXPECT_EQ(*fake.initCalls, 0);
}

TEST_F(LinuxGpuUtilizationTest, FailedInitIsRetriedOnlyAfterTheBackOff) {
  FakeNvml fake(FAKE_NVML_PATH);
  ASSERT_TRUE(fake.loaded());
  ScopedVariable mode("FAKE_NVML_MODE", "init-fails");
  LinuxGpuUtilization source(drm.string(), FAKE_NVML_PATH);
  EXPECT_EQ(source.readDeviceUtilization(), std::nullopt);
  for (int call = 0; call < LinuxGpuUtilization::kNvmlRetryCalls; ++call) {
    EXPECT_EQ(source.readDeviceUtilization(), std::nullopt);
  }
  EXPECT_EQ(*fake.initCalls, 1);
  ScopedVariable recovered("FAKE_NVML_MODE", "ok");
  ScopedVariable gpu("FAKE_NVML_GPU", "12");
  EXPECT_EQ(source.readDeviceUtilization(), 12);
  EXPECT_EQ(*fake.initCalls, 2);
  EXPECT_EQ(*fake.shutdownCalls, 0);
}

TEST_F(LinuxGpuUtilizationTest, FailedQueryGivesNoneButKeepsTheLibrary) {
  FakeNvml fake(FAKE_NVML_PATH);
  ASSERT_TRUE(fake.loaded());
  LinuxGpuUtilization source(drm.string(), FAKE_NVML_PATH);
  {
    ScopedVariable mode("FAKE_NVML_MODE", "utilization-fails");
    EXPECT_EQ(source.readDeviceUtilization(), std::nullopt);
  }
  ScopedVariable gpu("FAKE_NVML_GPU", "64");
  EXPECT_EQ(source.readDeviceUtilization(), 64);
  EXPECT_EQ(*fake.initCalls, 1);
}

TEST_F(LinuxGpuUtilizationTest, LibraryLackingAFunctionIsNeverInitialised) {
  FakeNvml fake(FAKE_NVML_INCOMPLETE_PATH);
  ASSERT_TRUE(fake.loaded());
  LinuxGpuUtilization source(drm.string(), FAKE_NVML_INCOMPLETE_PATH);
  EXPECT_EQ(source.readDeviceUtilization(), std::nullopt);
  EXPECT_EQ(*fake.initCalls, 0);
}

}  // namespace
}  // namespace platform::linuxdesktop
