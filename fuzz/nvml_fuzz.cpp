// NVML's answers, from a stand-in library: results codes and utilisation.
//
// Input: the three result codes and the GPU percentage the stand-in returns
// (its memory percentage stays 0, so a reading of the wrong field shows).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "fuzz/fuzz_rule.h"
#include "platform/linux/nvml_library.h"

extern "C" {
extern int standin_nvml_init_result;
extern int standin_nvml_handle_result;
extern int standin_nvml_rates_result;
extern unsigned int standin_nvml_gpu;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input{data, size};
  standin_nvml_init_result = input.ConsumeIntegral<int>();
  standin_nvml_handle_result = input.ConsumeIntegral<int>();
  standin_nvml_rates_result = input.ConsumeIntegral<int>();
  standin_nvml_gpu = input.ConsumeIntegral<unsigned int>();

  const auto nvml = platform::linuxdesktop::NvmlLibrary::open(FUZZ_NVML_PATH);
  FUZZ_RULE((nvml != nullptr) == (standin_nvml_init_result == 0));
  if (!nvml) return 0;
  const std::optional<std::int64_t> percent = nvml->gpuUtilization();
  const bool answered = standin_nvml_handle_result == 0 && standin_nvml_rates_result == 0;
  FUZZ_RULE(percent.has_value() == answered);
  if (percent) FUZZ_RULE(*percent == std::min<std::int64_t>(standin_nvml_gpu, 100));
  return 0;
}
