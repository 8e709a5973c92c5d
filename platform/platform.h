#pragma once

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/graphics.h"
#include "platform/notification_center.h"
#include "platform/process_probe.h"
#include "platform/run_loop.h"
#include "platform/running_applications.h"
#include "platform/status_bar.h"
#include "platform/system_readings.h"
#include "platform/user_defaults.h"

namespace platform {

// Everything the agents ask of the platform, one service each. The backend
// owns the services and outlives the agent's delegate.
class Platform {
 public:
  virtual ~Platform() = default;

  // The shared application, made on first use: the delegate is built before it.
  virtual Application& sharedApplication() = 0;

  virtual Environment& environment() = 0;
  virtual ProcessProbe& processProbe() = 0;
  virtual Clock& clock() = 0;
  virtual RunLoop& runLoop() = 0;
  virtual StatusBar& statusBar() = 0;
  virtual DistributedNotificationCenter& notificationCenter() = 0;
  virtual UserDefaultsStore& userDefaults() = 0;
  virtual RunningApplications& runningApplications() = 0;
  virtual Graphics& graphics() = 0;

  virtual InterfaceList& interfaceList() = 0;
  virtual CpuTicksSource& cpuTicks() = 0;
  virtual MemorySource& memory() = 0;
  virtual GpuUtilizationSource& gpuUtilization() = 0;
};

}  // namespace platform
