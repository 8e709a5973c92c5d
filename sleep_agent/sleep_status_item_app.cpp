#include "sleep_agent/sleep_status_item_app.h"

#include <utility>

#include "agent_common/host_request.h"
#include "agent_common/parent_watchdog.h"

namespace agent {
namespace {

const platform::Font kTitleFont{platform::FontFace::system, 12.5, platform::FontWeight::semibold};
// The theme's icon for the screen saver and sleep settings, for bars that show
// one beside a label.
constexpr const char* kThemedIconName = "preferences-desktop-screensaver";

}  // namespace

SleepStatusItemApp::SleepStatusItemApp(platform::Platform& platform,
                                       std::string sleepStateNotificationName,
                                       std::string showSleepManagementNotificationName)
    : platform(platform),
      sleepStateNotificationName(std::move(sleepStateNotificationName)),
      showSleepManagementNotificationName(std::move(showSleepManagementNotificationName)) {}

void SleepStatusItemApp::applicationDidFinishLaunching() {
  platform.sharedApplication().setActivationPolicy(platform::ActivationPolicy::accessory);
  std::shared_ptr<platform::StatusItem> item =
      platform.statusBar().statusItem(platform::kVariableStatusItemLength);
  const std::weak_ptr<SleepStatusItemApp> weakSelf = weak_from_this();
  // The button is fetched again for every setting, and a setting is skipped
  // when the item has none.
  if (auto* button = item->button()) button->setImage(nullptr);
  if (auto* button = item->button()) button->setImagePosition(platform::ImagePosition::noImage);
  if (auto* button = item->button()) {
    button->setAction([weakSelf] {
      if (const auto alive = weakSelf.lock()) alive->statusItemClicked();
    });
  }
  if (auto* button = item->button()) button->setFont(kTitleFont);
  if (auto* button = item->button()) button->setThemedIconName(kThemedIconName);
  item->setVisible(true);
  statusItem = std::move(item);
  // Shown before observing: a notification cannot race the first display.
  refreshStatusItem();
  observerToken = platform.notificationCenter().addObserver(
      sleepStateNotificationName, [weakSelf](const std::optional<platform::UserInfo>& userInfo) {
        if (const auto alive = weakSelf.lock()) alive->handleSleepStateNotification(userInfo);
      });
  parentTimer = startParentWatchdog(platform, weakSelf, parentPID);
}

void SleepStatusItemApp::applicationWillTerminate() {
  if (parentTimer) parentTimer->invalidate();
  if (observerToken) platform.notificationCenter().removeObserver(*observerToken);
  observerToken.reset();
}

void SleepStatusItemApp::handleSleepStateNotification(
    const std::optional<platform::UserInfo>& userInfo) {
  state = sleepStateFromUserInfo(userInfo);
  refreshStatusItem();
}

void SleepStatusItemApp::refreshStatusItem() {
  if (!statusItem) return;
  platform::StatusBarButton* button = statusItem->button();
  if (!button) return;
  button->setTitle(sleepStatusTitle(state));
  button->setFont(kTitleFont);
  button->setToolTip(sleepStatusToolTip(state));
  statusItem->setLength(platform::kVariableStatusItemLength);
}

void SleepStatusItemApp::statusItemClicked() {
  sendHostRequest(platform, showSleepManagementNotificationName, parentPID);
}

}  // namespace agent
