#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "agent_common/host_pid.h"
#include "platform/platform.h"
#include "sleep_agent/sleep_state.h"

namespace agent {

// The sleep agent's application delegate. Its status item shows, as a
// two-character title with a tooltip, whether the host keeps the machine
// awake; it follows the host's state notification, and a click asks the
// host for its sleep-management view. Its only timer is the parent
// watchdog.
//
// Create it with std::make_shared, before the shared application exists:
// the button, the observer and the watchdog reach the delegate through weak
// references taken from that shared pointer, and do nothing once it is gone.
// The platform must outlive the delegate.
class SleepStatusItemApp : public platform::ApplicationDelegate,
                           public std::enable_shared_from_this<SleepStatusItemApp> {
 public:
  // Reads the host's process id from the environment; touches nothing else
  // of the platform until launch. The names are the full notification names.
  SleepStatusItemApp(platform::Platform& platform, std::string sleepStateNotificationName,
                     std::string showSleepManagementNotificationName);

  // Makes the application an accessory, builds the status item showing the
  // not-active state, then observes the host's state notification and starts
  // the watchdog, in that order.
  void applicationDidFinishLaunching() override;

  // Stops the watchdog and stops observing. Nothing is posted or saved.
  void applicationWillTerminate() override;

  // Replaces the state with the one the user info announces, then refreshes.
  void handleSleepStateNotification(const std::optional<platform::UserInfo>& userInfo);

  // Writes title, font, tooltip and a variable length. Does nothing without a
  // status item or a button; the state is shown at the next refresh then.
  void refreshStatusItem();

  // The button's action, the same for every click whatever the event: posts
  // the show-sleep-management request, then brings the host forward when
  // there is one and it is running.
  void statusItemClicked();

 private:
  platform::Platform& platform;
  std::string sleepStateNotificationName;
  std::string showSleepManagementNotificationName;
  // Below 1 means no host: the watchdog never ends the agent and clicks
  // activate nothing.
  std::int32_t parentPID = readParentPID(platform.environment());
  // Null until launch, then set once and never cleared.
  std::shared_ptr<platform::StatusItem> statusItem;
  std::shared_ptr<platform::Timer> parentTimer;
  SleepState state;
  // Present from launch until termination.
  std::optional<platform::ObserverToken> observerToken;
};

}  // namespace agent
