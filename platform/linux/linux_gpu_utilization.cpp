#include "platform/linux/linux_gpu_utilization.h"

#include <utility>

#include "platform/linux/nvml_library.h"
#include "platform/linux/sysfs_gpu_busy.h"

namespace platform::linuxdesktop {

LinuxGpuUtilization::LinuxGpuUtilization(std::string drmRoot, std::string nvmlLibraryName)
    : drmRoot(std::move(drmRoot)), nvmlLibraryName(std::move(nvmlLibraryName)) {}

LinuxGpuUtilization::~LinuxGpuUtilization() = default;

std::optional<std::int64_t> LinuxGpuUtilization::readDeviceUtilization() {
  if (const auto percent = readSysfsGpuBusy(drmRoot)) return percent;
  return readNvml();
}

bool LinuxGpuUtilization::readCallsDriver() {
  if (nvml || callsBeforeNvmlRetry == 0 || anyCardPublishesGpuBusy(drmRoot)) return true;
  // The read this call stands for would have waited out one call of NVML's
  // back-off.
  --callsBeforeNvmlRetry;
  return false;
}

std::optional<std::int64_t> LinuxGpuUtilization::readNvml() {
  if (!nvml) {
    if (callsBeforeNvmlRetry > 0) {
      --callsBeforeNvmlRetry;
      return std::nullopt;
    }
    nvml = NvmlLibrary::open(nvmlLibraryName);
    if (!nvml) {
      callsBeforeNvmlRetry = kNvmlRetryCalls;
      return std::nullopt;
    }
  }
  return nvml->gpuUtilization();
}

}  // namespace platform::linuxdesktop
