#include "platform/darwin/mach_statistics.h"

#include <algorithm>
#include <limits>

namespace platform::darwin {
namespace {

std::uint64_t signedTickCount(std::uint32_t raw) {
  return static_cast<std::int32_t>(raw) < 0 ? 0 : raw;
}

}  // namespace

platform::CpuTicksReading cpuTicksFromLoadInfo(const CpuLoadTicks& ticks) {
  return {.user = signedTickCount(ticks.user),
          .system = signedTickCount(ticks.system),
          .idle = signedTickCount(ticks.idle),
          .nice = signedTickCount(ticks.nice)};
}

std::optional<platform::MemoryReading> memoryFromVmStatistics(std::uint64_t physicalBytes,
                                                              std::uint64_t pageSize,
                                                              const UsedPageCounts& pages) {
  if (physicalBytes == 0 || pageSize == 0) return std::nullopt;
  // Three 32-bit counts cannot overflow 64 bits; their product with the page
  // size can, with a nonsensical page size.
  const std::uint64_t usedPages = std::uint64_t{pages.wired} + pages.internal + pages.compressor;
  const std::uint64_t usedBytes = usedPages > std::numeric_limits<std::uint64_t>::max() / pageSize
                                      ? std::numeric_limits<std::uint64_t>::max()
                                      : usedPages * pageSize;
  return platform::MemoryReading{.physicalBytes = physicalBytes,
                                 .usedBytes = std::min(usedBytes, physicalBytes)};
}

}  // namespace platform::darwin
