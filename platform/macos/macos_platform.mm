#include "platform/macos/macos_platform.h"

#include "platform/darwin/ioreg_device_utilization_reader.h"
#include "platform/macos/appkit_application.h"
#include "platform/macos/appkit_graphics.h"
#include "platform/macos/appkit_running_applications.h"
#include "platform/macos/appkit_status_bar.h"
#include "platform/macos/darwin_interface_list.h"
#include "platform/macos/foundation_clock.h"
#include "platform/macos/foundation_environment.h"
#include "platform/macos/foundation_notification_center.h"
#include "platform/macos/foundation_run_loop.h"
#include "platform/macos/foundation_user_defaults.h"
#include "platform/macos/mach_cpu_ticks.h"
#include "platform/macos/mach_memory.h"
#include "platform/posix/posix_child_process_runner.h"
#include "platform/posix/posix_process_probe.h"

namespace platform::macos {

struct MacosPlatform::Services {
  FoundationEnvironment environment;
  platform::posix::PosixProcessProbe processProbe;
  FoundationClock clock;
  FoundationRunLoop runLoop;
  AppKitStatusBar statusBar;
  FoundationNotificationCenter notificationCenter;
  FoundationUserDefaultsStore userDefaults;
  AppKitRunningApplications runningApplications;
  AppKitGraphics graphics;
  DarwinInterfaceList interfaceList;
  MachCpuTicks cpuTicks;
  MachMemory memory;
  platform::posix::PosixChildProcessRunner childProcessRunner;
  // Runs "/usr/sbin/ioreg" through the runner above.
  platform::darwin::IoregDeviceUtilizationReader gpuUtilization{childProcessRunner};
};

MacosPlatform::MacosPlatform() : services(std::make_unique<Services>()) {}

MacosPlatform::~MacosPlatform() = default;

platform::Application& MacosPlatform::sharedApplication() {
  if (!application) application = std::make_unique<AppKitApplication>();
  return *application;
}

platform::Environment& MacosPlatform::environment() { return services->environment; }

platform::ProcessProbe& MacosPlatform::processProbe() { return services->processProbe; }

platform::Clock& MacosPlatform::clock() { return services->clock; }

platform::RunLoop& MacosPlatform::runLoop() { return services->runLoop; }

platform::StatusBar& MacosPlatform::statusBar() { return services->statusBar; }

platform::DistributedNotificationCenter& MacosPlatform::notificationCenter() {
  return services->notificationCenter;
}

platform::UserDefaultsStore& MacosPlatform::userDefaults() { return services->userDefaults; }

platform::RunningApplications& MacosPlatform::runningApplications() {
  return services->runningApplications;
}

platform::Graphics& MacosPlatform::graphics() { return services->graphics; }

platform::InterfaceList& MacosPlatform::interfaceList() { return services->interfaceList; }

platform::CpuTicksSource& MacosPlatform::cpuTicks() { return services->cpuTicks; }

platform::MemorySource& MacosPlatform::memory() { return services->memory; }

platform::GpuUtilizationSource& MacosPlatform::gpuUtilization() { return services->gpuUtilization; }

}  // namespace platform::macos
