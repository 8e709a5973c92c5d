#include "platform/linux/nvml_library.h"

#include <utility>

#include <dlfcn.h>

#include "platform/system_readings.h"

namespace platform::linuxdesktop {
namespace {

constexpr int kNvmlSuccess = 0;

// The layout of nvmlUtilization_t.
struct Utilization {
  unsigned int gpu = 0;
  unsigned int memory = 0;
};

template <class Function>
bool bind(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace

void NvmlLibrary::Unload::operator()(void* handle) const { dlclose(handle); }

void NvmlLibrary::Shutdown::operator()(void*) const {
  if (shutdown) shutdown();
}

std::unique_ptr<NvmlLibrary> NvmlLibrary::open(const std::string& libraryName) {
  std::unique_ptr<void, Unload> library(dlopen(libraryName.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!library) {
    // Clears the pending error text so that it does not linger in the process.
    dlerror();
    return nullptr;
  }
  Functions functions;
  if (!bind(library.get(), "nvmlInit_v2", functions.init) ||
      !bind(library.get(), "nvmlShutdown", functions.shutdown) ||
      !bind(library.get(), "nvmlDeviceGetHandleByIndex_v2", functions.handleByIndex) ||
      !bind(library.get(), "nvmlDeviceGetUtilizationRates", functions.utilizationRates)) {
    dlerror();
    return nullptr;
  }
  if (functions.init() != kNvmlSuccess) return nullptr;
  return std::unique_ptr<NvmlLibrary>(new NvmlLibrary(std::move(library), functions));
}

NvmlLibrary::NvmlLibrary(std::unique_ptr<void, Unload> library, Functions functions)
    : library(std::move(library)),
      functions(functions),
      session(this->library.get(), Shutdown{functions.shutdown}) {}

std::optional<std::int64_t> NvmlLibrary::gpuUtilization() {
  void* device = nullptr;
  if (functions.handleByIndex(0, &device) != kNvmlSuccess) return std::nullopt;
  Utilization utilization;
  if (functions.utilizationRates(device, &utilization) != kNvmlSuccess) return std::nullopt;
  return utilizationPercent(utilization.gpu);
}

}  // namespace platform::linuxdesktop
