#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/background_gpu_utilization.h"

namespace platform::linuxdesktop {

class NvmlLibrary;

// GPU utilisation without a child process: the kernel's gpu_busy_percent
// (amdgpu, xe) first, else NVIDIA's NVML loaded at run time, else none.
//
// NVML is loaded only when sysfs has no reading, and then kept loaded and
// initialised. When loading or initialising fails, the next kNvmlRetryCalls
// calls do not try again (at one call every 3 seconds, about five minutes),
// so a machine without NVIDIA's driver pays for a failed dlopen only rarely
// while a driver loaded later is still picked up.
//
// A read may block for as long as the driver does: the platform runs it
// behind a BackgroundGpuUtilization. It calls a driver only when a card
// publishes gpu_busy_percent, NVML is loaded or a try at loading it is due;
// readCallsDriver tells, and counts a skipped read toward the back-off.
class LinuxGpuUtilization : public BackgroundGpuUtilization::Source {
 public:
  static constexpr int kNvmlRetryCalls = 100;

  explicit LinuxGpuUtilization(std::string drmRoot = "/sys/class/drm",
                               std::string nvmlLibraryName = "libnvidia-ml.so.1");
  ~LinuxGpuUtilization() override;

  std::optional<std::int64_t> readDeviceUtilization() override;
  bool readCallsDriver() override;

 private:
  std::optional<std::int64_t> readNvml();

  std::string drmRoot;
  std::string nvmlLibraryName;
  std::unique_ptr<NvmlLibrary> nvml;
  int callsBeforeNvmlRetry = 0;
};

}  // namespace platform::linuxdesktop
