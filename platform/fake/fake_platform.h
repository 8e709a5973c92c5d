#pragma once

#include "platform/fake/call_log.h"
#include "platform/fake/fake_application.h"
#include "platform/fake/fake_graphics.h"
#include "platform/fake/fake_run_loop.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_status_bar.h"
#include "platform/platform.h"

namespace platform::fake {

// The whole platform in memory, for unit and scenario tests. Every service is
// a public member the test can script and inspect; calls land in one log.
class FakePlatform : public Platform {
 public:
  Application& sharedApplication() override;
  Environment& environment() override { return env; }
  ProcessProbe& processProbe() override { return probe; }
  Clock& clock() override { return fakeClock; }
  RunLoop& runLoop() override { return loop; }
  StatusBar& statusBar() override { return bar; }
  DistributedNotificationCenter& notificationCenter() override { return notifications; }
  UserDefaultsStore& userDefaults() override { return defaults; }
  RunningApplications& runningApplications() override { return applications; }
  Graphics& graphics() override { return drawing; }
  InterfaceList& interfaceList() override { return interfaces; }
  CpuTicksSource& cpuTicks() override { return cpu; }
  MemorySource& memory() override { return memoryReading; }
  GpuUtilizationSource& gpuUtilization() override { return gpu; }

  // Moves time forward, firing due timers.
  void advance(double seconds) { loop.advance(seconds); }
  // The status items made so far, first first.
  FakeStatusItem& item(std::size_t index = 0) { return *bar.items.at(index); }

  CallLog log;
  FakeClock fakeClock;
  FakeRunLoop loop{fakeClock, log};
  FakeApplication app{loop, log};
  FakeEnvironment env{log};
  FakeProcessProbe probe{log};
  FakeStatusBar bar{app, log};
  FakeNotificationCenter notifications{log};
  FakeUserDefaultsStore defaults{log};
  FakeRunningApplications applications{log};
  FakeGraphics drawing;
  FakeInterfaceList interfaces;
  FakeCpuTicks cpu;
  FakeMemory memoryReading;
  FakeGpuUtilization gpu;
  bool applicationObtained = false;
};

}  // namespace platform::fake
