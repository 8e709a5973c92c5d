// /proc/stat text: the aggregate "cpu" line and the CPU column made of it.
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_rule.h"
#include "network_agent/sampling/cpu_usage_sampler.h"
#include "platform/fake/fake_services.h"
#include "platform/linux/proc_stat_cpu_ticks.h"

// Two readings, split at the first NUL: the second is sampled after the first.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::textOf(data, size);
  const std::size_t split = text.find('\0');
  const std::string_view first = text.substr(0, split);
  const std::string_view second = split == std::string_view::npos ? first : text.substr(split + 1);

  platform::fake::FakeCpuTicks source;
  agent::CPUUsageSampler sampler{source};
  for (const std::string_view reading : {first, second}) {
    source.reading = platform::linuxdesktop::parseProcStat(reading);
    if (source.reading) {
      // The agents add the four counters up: the sum never wraps.
      std::uint64_t total = 0;
      FUZZ_RULE(!__builtin_add_overflow(source.reading->user, source.reading->system, &total) &&
                !__builtin_add_overflow(total, source.reading->idle, &total) &&
                !__builtin_add_overflow(total, source.reading->nice, &total));
      FUZZ_RULE(reading.find("cpu") != std::string_view::npos);
    }
    const std::optional<std::int64_t> percent = sampler.samplePercent();
    FUZZ_RULE(percent.has_value() == source.reading.has_value());
    if (percent) FUZZ_RULE(*percent >= 0 && *percent <= 100);
  }
  return 0;
}
