#pragma once

#include <cstdint>
#include <optional>

#include "platform/system_readings.h"

namespace platform::darwin {

// host_cpu_load_info's tick counters as the kernel keeps them, 32 bits each.
struct CpuLoadTicks {
  std::uint32_t user = 0;
  std::uint32_t system = 0;
  std::uint32_t idle = 0;
  std::uint32_t nice = 0;
};

// Each counter read as a signed 32-bit count: one whose top bit is set counts
// as 0, so a counter past 2^31 reads as a fall, not as a burst.
platform::CpuTicksReading cpuTicksFromLoadInfo(const CpuLoadTicks& ticks);

// The page counts of vm_statistics64 that hold memory in use: wired,
// anonymous (internal) and compressor-held pages.
struct UsedPageCounts {
  std::uint32_t wired = 0;
  std::uint32_t internal = 0;
  std::uint32_t compressor = 0;
};

// Used bytes = used pages x page size, limited to the physical size (the
// counts are taken at slightly different moments and can pass it; a product
// beyond 64 bits is limited too). None when the physical size or the page
// size is 0.
std::optional<platform::MemoryReading> memoryFromVmStatistics(std::uint64_t physicalBytes,
                                                              std::uint64_t pageSize,
                                                              const UsedPageCounts& pages);

}  // namespace platform::darwin
