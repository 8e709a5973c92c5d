#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/proc_file.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {

// Reads the aggregate "cpu" line of /proc/stat text. The kernel's ten columns
// are folded into the four counters the agents use, so that user + system +
// nice is the busy time and idle the rest:
//   user = user, nice = nice, system = system + irq + softirq + steal,
//   idle = idle + iowait.
// Guest time is already part of user and is not added again. Columns missing
// on older kernels count as 0, but user, nice, system and idle must be there.
// None when the line is missing or malformed, or a sum would not fit 64 bits.
std::optional<platform::CpuTicksReading> parseProcStat(std::string_view text);

// CPU ticks from /proc/stat, read afresh on every call through a kept
// descriptor.
class ProcStatCpuTicks : public platform::CpuTicksSource {
 public:
  explicit ProcStatCpuTicks(std::string path = "/proc/stat");

  std::optional<platform::CpuTicksReading> ticks() override;

 private:
  KernelTextFile file;
};

}  // namespace platform::linuxdesktop
