// /proc/stat text: the aggregate "cpu" line and the CPU column made of it.
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_rule.h"
#include "network_agent/sampling/cpu_usage_sampler.h"
#include "platform/linux/proc_stat_cpu_ticks.h"

namespace {

class ParsedTicks : public platform::CpuTicksSource {
 public:
  std::optional<platform::CpuTicksReading> next;
  std::optional<platform::CpuTicksReading> ticks() override { return next; }
};

}  // namespace

// Two readings, split at the first NUL: the second is sampled after the first.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::textOf(data, size);
  const std::size_t split = text.find('\0');
  const std::string_view first = text.substr(0, split);
  const std::string_view second = split == std::string_view::npos ? first : text.substr(split + 1);

  ParsedTicks source;
  agent::CPUUsageSampler sampler{source};
  for (const std::string_view reading : {first, second}) {
    source.next = platform::linuxdesktop::parseProcStat(reading);
    if (source.next) {
      // The agents add the four counters up: the sum never wraps.
      std::uint64_t total = 0;
      FUZZ_RULE(!__builtin_add_overflow(source.next->user, source.next->system, &total) &&
                !__builtin_add_overflow(total, source.next->idle, &total) &&
                !__builtin_add_overflow(total, source.next->nice, &total));
      FUZZ_RULE(reading.find("cpu") != std::string_view::npos);
    }
    const std::optional<std::int64_t> percent = sampler.samplePercent();
    FUZZ_RULE(percent.has_value() == source.next.has_value());
    if (percent) FUZZ_RULE(*percent >= 0 && *percent <= 100);
  }
  return 0;
}
