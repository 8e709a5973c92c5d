#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/clock.h"
#include "platform/system_readings.h"

namespace platform::linuxdesktop {

// Runs another utilisation source's reads on a helper thread, so that a read
// that blocks (a driver in trouble can hold an NVML call for seconds or for
// ever) never holds up the caller, whose thread runs the refresh, the menu and
// the watchdog.
//
// A read that would call no driver (the source says so) gives none at once:
// a machine without a GPU reading pays no thread hop per read. Any other
// readDeviceUtilization starts a read on the helper unless one is still
// running, and waits at most kFreshReadWait for it, so that a prompt source's
// figure is shown at once. It gives the latest completed reading; none before
// the first one completes, and none once the read in progress has run
// longer than platform::kGpuReadTimeLimit (the figure is stale), until a read
// completes again. Only the caller's thread reads the clock, which is
// borrowed and must outlive this object.
//
// The helper starts with the first read that calls a driver. The destructor
// ends it, or leaves it behind when a read is still running: a call blocked in
// the driver cannot be interrupted, and it keeps the source alive until it
// returns.
class BackgroundGpuUtilization : public platform::GpuUtilizationSource {
 public:
  static constexpr std::chrono::milliseconds kFreshReadWait{100};

  // A reading whose reads may call a driver.
  class Source : public platform::GpuUtilizationSource {
   public:
    // Asked on the caller's thread before each read, never while one runs:
    // whether this read would call a driver. False means it would give none
    // at once: it is not made, and this call stands for it.
    virtual bool readCallsDriver() = 0;
  };

  BackgroundGpuUtilization(std::unique_ptr<Source> source, platform::Clock& clock);
  ~BackgroundGpuUtilization() override;
  BackgroundGpuUtilization(const BackgroundGpuUtilization&) = delete;
  BackgroundGpuUtilization& operator=(const BackgroundGpuUtilization&) = delete;

  std::optional<std::int64_t> readDeviceUtilization() override;

 private:
  // What the helper shares with the caller; every field but the source is
  // guarded by the mutex. Owned by both, so that a helper left behind keeps
  // it.
  struct Shared {
    std::unique_ptr<Source> source;
    std::mutex mutex;
    std::condition_variable readAsked;
    std::condition_variable readDone;
    bool reading = false;
    bool stopping = false;
    std::optional<std::int64_t> latest;
  };

  static void serve(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared;
  platform::Clock& clock;
  std::thread helper;
  // Monotonic seconds at which the latest read was asked for.
  double readAskedAt = 0.0;
};

}  // namespace platform::linuxdesktop
