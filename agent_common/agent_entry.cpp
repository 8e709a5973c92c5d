#include "agent_common/agent_entry.h"

#include <chrono>
#include <cstdio>

#include "agent_common/host_pid.h"
#include "agent_common/parent_watchdog.h"

namespace agent {

platform::StartupAbandoned abandonOnceHostIsGone(bool& hostGone) {
  // Looked at on the watchdog's own schedule, a period after start and each
  // period after that, so that start-up ends no sooner than the first tick
  // would.
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>{kParentWatchdogIntervalSeconds});
  return [&hostGone, period, next = Clock::now() + period](const platform::Environment& environment,
                                                           platform::ProcessProbe& probe) mutable {
    if (Clock::now() < next) return false;
    next += period;
    hostGone = hostIsGone(readParentPID(environment), probe);
    return hostGone;
  };
}

int platformDidNotStart(const char* programName, bool hostGone) {
  if (hostGone) return 0;
  std::fprintf(stderr, "%s: cannot connect to the session bus\n", programName);
  return 1;
}

int runApplication(platform::Platform& platform,
                   const std::shared_ptr<platform::ApplicationDelegate>& delegate) {
  platform::Application& app = platform.sharedApplication();
  app.setDelegate(delegate);
  return app.run();
}

}  // namespace agent
