#include "platform/darwin/ioreg_device_utilization_reader.h"

#include <iterator>
#include <utility>
#include <vector>

#include "platform/darwin/ioreg_output.h"

namespace platform::darwin {

IoregDeviceUtilizationReader::IoregDeviceUtilizationReader(platform::ChildProcessRunner& runner,
                                                           std::string executablePath)
    : childProcessRunner(runner), executablePath(std::move(executablePath)) {}

std::optional<std::int64_t> IoregDeviceUtilizationReader::readDeviceUtilization() {
  const std::vector<std::string> arguments(std::begin(kIoregArguments), std::end(kIoregArguments));
  const std::optional<platform::ChildOutput> output =
      childProcessRunner.run(executablePath, arguments, kTimeLimit);
  if (!output || output->exitStatus != 0) return std::nullopt;
  return deviceUtilizationFromIoregOutput(output->standardOutput);
}

}  // namespace platform::darwin
