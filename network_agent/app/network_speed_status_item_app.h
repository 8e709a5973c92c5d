#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "agent_common/host_pid.h"
#include "network_agent/presentation/display_options_reader.h"
#include "network_agent/presentation/status_item_renderer.h"
#include "network_agent/sampling/cpu_usage_sampler.h"
#include "network_agent/sampling/gpu_usage_sampler.h"
#include "network_agent/sampling/memory_usage_sampler.h"
#include "network_agent/sampling/network_speed_sampler.h"
#include "platform/platform.h"

namespace agent {

// The network agent's application delegate. It owns everything the agent
// shows and measures: the samplers, the options reader, the renderer, the
// status item with its menu, the one-second refresh timer and the parent
// watchdog.
//
// Create it with std::make_shared, before the shared application exists:
// the button, the menu entries and the timers reach the delegate through
// weak references taken from that shared pointer, and do nothing once it is
// gone. The platform must outlive the delegate.
class NetworkSpeedStatusItemApp : public platform::ApplicationDelegate,
                                  public std::enable_shared_from_this<NetworkSpeedStatusItemApp> {
 public:
  // Opens the defaults suite (the standard defaults when it cannot be opened)
  // and reads the host's process id from the environment. Touches nothing
  // else of the platform: no status item, no sample, no option read.
  NetworkSpeedStatusItemApp(platform::Platform& platform, const std::string& defaultsSuiteName);

  // Makes the application an accessory, builds the status item and its menu,
  // shows the first (zero-rate) refresh, then schedules the refresh timer and
  // the watchdog.
  void applicationDidFinishLaunching() override;

  // Stops the refresh timer and the watchdog. Nothing is posted or saved.
  void applicationWillTerminate() override;

  // One refresh: samples the rates and the shown load columns, draws a new
  // image, sets the item's length to the image's width plus 6 points, and
  // sets the image and the rate tooltip on the button. The samplers advance
  // even while there is no status item or button.
  void refreshStatusItem();

  // The button's action. A right-button release or a Control-click opens the
  // menu for the length of the click and posts nothing; any other click, and
  // an action run with no current event, does what openMainWindow does.
  void statusItemClicked();

  // Posts the host's show-window notification, then brings the host forward
  // when there is one and it is running.
  void openMainWindow();

  // Terminates the application; applicationWillTerminate then runs.
  void quit();

 private:
  void buildStatusItem();
  std::shared_ptr<platform::Menu> buildMenu();
  void startTimers();

  platform::Platform& platform;
  DisplayOptionsReader optionsReader;
  NetworkSpeedSampler networkSampler{platform.clock(), platform.interfaceList()};
  MemoryUsageSampler memorySampler{platform.memory()};
  CPUUsageSampler cpuSampler{platform.cpuTicks()};
  GPUUsageSampler gpuSampler{platform.clock(), platform.gpuUtilization()};
  StatusItemRenderer renderer{platform.graphics()};
  // Below 1 means no host: the watchdog never ends the agent and clicks
  // activate nothing.
  std::int32_t parentPID = readParentPID(platform.environment());
  // The last four are null until launch, then set once and never cleared.
  std::shared_ptr<platform::StatusItem> statusItem;
  // Attached to the item only while a secondary click has it open.
  std::shared_ptr<platform::Menu> statusMenu;
  std::shared_ptr<platform::Timer> updateTimer;
  std::shared_ptr<platform::Timer> parentTimer;
};

}  // namespace agent
