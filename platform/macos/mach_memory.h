#pragma once

#include <optional>

#include <mach/mach.h>

#include "platform/system_readings.h"

namespace platform::macos {

// Physical memory from sysctlbyname("hw.memsize"); used memory from
// host_statistics64 HOST_VM_INFO64 and host_page_size.
class MachMemory final : public platform::MemorySource {
 public:
  MachMemory();
  // None when any of the three calls fails or reports zero.
  std::optional<platform::MemoryReading> memory() override;

 private:
  // Asked once: every mach_host_self call adds a reference to the host port.
  mach_port_t host = MACH_PORT_NULL;
};

}  // namespace platform::macos
