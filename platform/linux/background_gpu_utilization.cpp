#include "platform/linux/background_gpu_utilization.h"

#include <utility>

namespace platform::linuxdesktop {

BackgroundGpuUtilization::BackgroundGpuUtilization(std::unique_ptr<Source> source,
                                                   platform::Clock& clock)
    : shared(std::make_shared<Shared>()), clock(clock) {
  shared->source = std::move(source);
}

BackgroundGpuUtilization::~BackgroundGpuUtilization() {
  bool reading = false;
  {
    const std::lock_guard lock(shared->mutex);
    shared->stopping = true;
    reading = shared->reading;
  }
  shared->readAsked.notify_one();
  if (!helper.joinable()) return;
  if (reading) {
    helper.detach();
  } else {
    helper.join();
  }
}

std::optional<std::int64_t> BackgroundGpuUtilization::readDeviceUtilization() {
  std::unique_lock lock(shared->mutex);
  // No read runs on the helper, so the source is this thread's to ask.
  if (!shared->reading && !shared->source->readCallsDriver()) {
    shared->latest.reset();
    return std::nullopt;
  }
  if (!shared->reading) {
    shared->reading = true;
    readAskedAt = clock.monotonicSeconds();
    if (!helper.joinable()) helper = std::thread(&BackgroundGpuUtilization::serve, shared);
    shared->readAsked.notify_one();
    shared->readDone.wait_for(lock, kFreshReadWait, [&] { return !shared->reading; });
  }
  const std::chrono::duration<double> running{clock.monotonicSeconds() - readAskedAt};
  if (shared->reading && running > platform::kGpuReadTimeLimit) return std::nullopt;
  return shared->latest;
}

void BackgroundGpuUtilization::serve(std::shared_ptr<Shared> shared) {
  std::unique_lock lock(shared->mutex);
  while (true) {
    shared->readAsked.wait(lock, [&] { return shared->reading || shared->stopping; });
    if (shared->stopping) return;
    lock.unlock();
    const std::optional<std::int64_t> percent = shared->source->readDeviceUtilization();
    lock.lock();
    shared->latest = percent;
    shared->reading = false;
    shared->readDone.notify_all();
  }
}

}  // namespace platform::linuxdesktop
