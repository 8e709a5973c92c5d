#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform::linuxdesktop {

// NVIDIA's management library, loaded at run time so that the program has no
// build-time or link-time dependency on it. An open library is initialised;
// it is shut down and unloaded when this object goes.
class NvmlLibrary {
 public:
  // nullptr when the library cannot be loaded, lacks one of the functions
  // used, or fails to initialise (no driver, no device).
  static std::unique_ptr<NvmlLibrary> open(const std::string& libraryName);

  // Utilisation of device 0 in percent over the driver's last sample period,
  // limited by utilizationPercent; none when the device cannot be queried.
  std::optional<std::int64_t> gpuUtilization();

 private:
  struct Functions {
    int (*init)() = nullptr;
    int (*shutdown)() = nullptr;
    int (*handleByIndex)(unsigned index, void** device) = nullptr;
    int (*utilizationRates)(void* device, void* utilization) = nullptr;
  };
  struct Unload {
    void operator()(void* handle) const;
  };
  // Holds the loaded library's handle as a token; its deleter shuts NVML down.
  struct Shutdown {
    int (*shutdown)() = nullptr;
    void operator()(void* token) const;
  };

  NvmlLibrary(std::unique_ptr<void, Unload> library, Functions functions);

  // Declared in this order so that NVML is shut down before it is unloaded.
  std::unique_ptr<void, Unload> library;
  Functions functions;
  std::unique_ptr<void, Shutdown> session;
};

}  // namespace platform::linuxdesktop
