#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/child_process.h"
#include "platform/system_readings.h"

namespace platform::darwin {

// Reads the graphics device's utilisation by running the I/O Registry tool
// and taking the number after its "Device Utilization %" entry. Borrows the
// runner, which must outlive the reader.
class IoregDeviceUtilizationReader final : public platform::GpuUtilizationSource {
 public:
  static constexpr std::string_view kIoregPath = "/usr/sbin/ioreg";
  // Accelerator objects that carry performance statistics, one level deep.
  static constexpr std::string_view kIoregArguments[] = {
      "-r", "-c", "IOAccelerator", "-k", "PerformanceStatistics", "-d", "1"};
  // A tool that takes longer is killed and gives no reading, so that a hung
  // tool cannot hold up the agent.
  static constexpr std::chrono::milliseconds kTimeLimit = platform::kGpuReadTimeLimit;

  // The executable path is the tool's own outside tests.
  explicit IoregDeviceUtilizationReader(platform::ChildProcessRunner& runner,
                                        std::string executablePath = std::string(kIoregPath));

  // 0...100; none when the tool cannot be run, fails, exits with a non-zero
  // status or prints no usable figure.
  std::optional<std::int64_t> readDeviceUtilization() override;

 private:
  platform::ChildProcessRunner& childProcessRunner;
  std::string executablePath;
};

}  // namespace platform::darwin
