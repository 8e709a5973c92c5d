#include "platform/macos/mach_memory.h"

#include <cstdint>

#include <mach/mach.h>
#include <sys/sysctl.h>
#include <sys/types.h>

#include "platform/darwin/mach_statistics.h"

namespace platform::macos {

MachMemory::MachMemory() : host(mach_host_self()) {}

std::optional<platform::MemoryReading> MachMemory::memory() {
  std::uint64_t physicalBytes = 0;
  size_t size = sizeof physicalBytes;
  if (sysctlbyname("hw.memsize", &physicalBytes, &size, nullptr, 0) != 0) return std::nullopt;
  vm_size_t pageSize = 0;
  if (host_page_size(host, &pageSize) != KERN_SUCCESS) return std::nullopt;
  vm_statistics64_data_t statistics{};
  mach_msg_type_number_t count = HOST_VM_INFO64_COUNT;
  if (host_statistics64(host, HOST_VM_INFO64, reinterpret_cast<host_info64_t>(&statistics),
                        &count) != KERN_SUCCESS) {
    return std::nullopt;
  }
  return platform::darwin::memoryFromVmStatistics(physicalBytes, pageSize,
                                                  {.wired = statistics.wire_count,
                                                   .internal = statistics.internal_page_count,
                                                   .compressor = statistics.compressor_page_count});
}

}  // namespace platform::macos
