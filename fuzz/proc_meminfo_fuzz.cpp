// /proc/meminfo text and the RAM column made of it.
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_rule.h"
#include "network_agent/sampling/memory_usage_sampler.h"
#include "platform/fake/fake_services.h"
#include "platform/linux/proc_meminfo_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::textOf(data, size);
  platform::fake::FakeMemory source;
  source.reading = platform::linuxdesktop::parseProcMeminfo(text);
  if (source.reading) {
    FUZZ_RULE(source.reading->physicalBytes > 0);
    FUZZ_RULE(source.reading->usedBytes <= source.reading->physicalBytes);
    // Both figures are whole kB.
    FUZZ_RULE(source.reading->physicalBytes % 1024 == 0 && source.reading->usedBytes % 1024 == 0);
    FUZZ_RULE(text.find("MemTotal:") != std::string_view::npos &&
              text.find("MemAvailable:") != std::string_view::npos);
  }
  agent::MemoryUsageSampler sampler{source};
  const std::optional<std::int64_t> percent = sampler.samplePercent();
  FUZZ_RULE(percent.has_value() == source.reading.has_value());
  if (percent) FUZZ_RULE(*percent >= 0 && *percent <= 100);
  return 0;
}
