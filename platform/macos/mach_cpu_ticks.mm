#include "platform/macos/mach_cpu_ticks.h"

#include <mach/mach.h>

#include "platform/darwin/mach_statistics.h"

namespace platform::macos {

MachCpuTicks::MachCpuTicks() : host(mach_host_self()) {}

std::optional<platform::CpuTicksReading> MachCpuTicks::ticks() {
  host_cpu_load_info_data_t info{};
  mach_msg_type_number_t count = HOST_CPU_LOAD_INFO_COUNT;
  if (host_statistics(host, HOST_CPU_LOAD_INFO, reinterpret_cast<host_info_t>(&info), &count) !=
      KERN_SUCCESS) {
    return std::nullopt;
  }
  return platform::darwin::cpuTicksFromLoadInfo({.user = info.cpu_ticks[CPU_STATE_USER],
                                                 .system = info.cpu_ticks[CPU_STATE_SYSTEM],
                                                 .idle = info.cpu_ticks[CPU_STATE_IDLE],
                                                 .nice = info.cpu_ticks[CPU_STATE_NICE]});
}

}  // namespace platform::macos
