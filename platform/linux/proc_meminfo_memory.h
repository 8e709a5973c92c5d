#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/proc_file.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {

// Reads /proc/meminfo text: physical bytes = MemTotal, used bytes = MemTotal -
// MemAvailable (0 when the kernel reports more available than total). Both
// lines must be present with the "kB" unit (1024 bytes). None when either is
// missing or malformed, MemTotal is 0, or the byte count does not fit 64 bits.
std::optional<platform::MemoryReading> parseProcMeminfo(std::string_view text);

// Memory figures from /proc/meminfo, read afresh on every call.
class ProcMeminfoMemory : public platform::MemorySource {
 public:
  explicit ProcMeminfoMemory(std::string path = "/proc/meminfo");

  std::optional<platform::MemoryReading> memory() override;

 private:
  KernelTextFile file;
};

}  // namespace platform::linuxdesktop
