#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/system_readings.h"

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
// behind a BackgroundGpuUtilization.
class LinuxGpuUtilization : public platform::GpuUtilizationSource {
 public:
  static constexpr int kNvmlRetryCalls = 100;

  explicit LinuxGpuUtilization(std::string drmRoot = "/sys/class/drm",
                               std::string nvmlLibraryName = "libnvidia-ml.so.1");
  ~LinuxGpuUtilization() override;

  std::optional<std::int64_t> readDeviceUtilization() override;

 private:
  std::optional<std::int64_t> readNvml();

  std::string drmRoot;
  std::string nvmlLibraryName;
  std::unique_ptr<NvmlLibrary> nvml;
  int callsBeforeNvmlRetry = 0;
};

}  // namespace platform::linuxdesktop
