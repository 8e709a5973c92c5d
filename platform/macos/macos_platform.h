#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform::macos {

class AppKitApplication;

// The macOS platform: AppKit's shared application, status bar, menus and
// drawing; Foundation's run loop, distributed notifications, defaults and
// process information; Mach and sysctl readings; the I/O Registry tool for
// the GPU. Owns every service.
class MacosPlatform final : public platform::Platform {
 public:
  MacosPlatform();
  ~MacosPlatform() override;

  // Made on first use: the agent's delegate is built before the shared
  // application exists.
  platform::Application& sharedApplication() override;
  platform::Environment& environment() override;
  platform::ProcessProbe& processProbe() override;
  platform::Clock& clock() override;
  platform::RunLoop& runLoop() override;
  platform::StatusBar& statusBar() override;
  platform::DistributedNotificationCenter& notificationCenter() override;
  platform::UserDefaultsStore& userDefaults() override;
  platform::RunningApplications& runningApplications() override;
  platform::Graphics& graphics() override;
  platform::InterfaceList& interfaceList() override;
  platform::CpuTicksSource& cpuTicks() override;
  platform::MemorySource& memory() override;
  platform::GpuUtilizationSource& gpuUtilization() override;

 private:
  struct Services;

  std::unique_ptr<Services> services;
  std::unique_ptr<AppKitApplication> application;
};

}  // namespace platform::macos
