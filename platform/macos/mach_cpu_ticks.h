#pragma once

#include <optional>

#include <mach/mach.h>

#include "platform/system_readings.h"

namespace platform::macos {

// The system-wide tick counters of host_statistics HOST_CPU_LOAD_INFO.
class MachCpuTicks final : public platform::CpuTicksSource {
 public:
  MachCpuTicks();
  // None when the call does not succeed.
  std::optional<platform::CpuTicksReading> ticks() override;

 private:
  // Asked once: every mach_host_self call adds a reference to the host port.
  mach_port_t host = MACH_PORT_NULL;
};

}  // namespace platform::macos
