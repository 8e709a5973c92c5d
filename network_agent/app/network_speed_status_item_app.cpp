#include "network_agent/app/network_speed_status_item_app.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "agent_common/host_contract.h"
#include "agent_common/host_request.h"
#include "agent_common/parent_watchdog.h"
#include "network_agent/presentation/build_metrics.h"
#include "network_agent/sampling/rate_text.h"

namespace agent {
namespace {

constexpr double kRefreshIntervalSeconds = 1.0;
// The item is this much wider than its image.
constexpr double kStatusItemPadding = 6.0;

constexpr const char* kHeadingTitle = "Velmora · 网速显示";
// The theme's icon for network traffic, for bars that show one beside a label.
constexpr const char* kThemedIconName = "network-transmit-receive";
constexpr const char* kOpenMainWindowTitle = "打开主界面";
constexpr const char* kQuitTitle = "关闭网速显示";
// Menu entries have no keyboard shortcuts.
constexpr const char* kNoKeyEquivalent = "";
// At least as wide as any column value: a percentage or "--".
constexpr const char* kWidestPercent = "100%";

using App = NetworkSpeedStatusItemApp;

// A callback for the button, a menu entry or a timer. It holds the delegate
// weakly, so it neither keeps the delegate alive nor runs once it is gone.
std::function<void()> weakly(std::weak_ptr<App> delegate, void (App::*operation)()) {
  return [delegate = std::move(delegate), operation] {
    if (const std::shared_ptr<App> alive = delegate.lock()) ((*alive).*operation)();
  };
}

bool isSecondaryClick(const std::optional<platform::Event>& event) {
  if (!event) return false;
  if (event->type == platform::kEventTypeRightMouseUp) return true;
  return (event->modifierFlags & platform::kEventModifierFlagControl) != 0;
}

// "上传 <rate> · 下载 <rate>", then " · LABEL VALUE" for each shown column.
std::string rateToolTip(const NetworkSnapshot& network, const StatusMetrics& metrics) {
  std::string toolTip = "上传 " + fullRate(network.uploadBytesPerSecond) + " · 下载 " +
                        fullRate(network.downloadBytesPerSecond);
  for (const StatusMetric& metric : metrics) {
    toolTip += " · " + metric.label + " " + metric.value;
  }
  return toolTip;
}

// The two rates in a few characters each, upload above download, each after
// its arrow in the arrow's colour; then each shown column as its label and
// value, for bars that show the whole reading as a text label.
std::vector<platform::CompactLine> compactReading(const NetworkSnapshot& network,
                                                  const StatusMetrics& metrics,
                                                  const StatusItemRenderer& renderer) {
  std::vector<platform::CompactLine> lines = {
      {"↑", renderer.uploadColor, compactRate(network.uploadBytesPerSecond), kWidestCompactRate},
      {"↓", renderer.downloadColor, compactRate(network.downloadBytesPerSecond),
       kWidestCompactRate}};
  for (const StatusMetric& metric : metrics) {
    lines.push_back({metric.label + " ", renderer.primaryTextColor, metric.value, kWidestPercent});
  }
  return lines;
}

}  // namespace

NetworkSpeedStatusItemApp::NetworkSpeedStatusItemApp(platform::Platform& platform,
                                                     const std::string& defaultsSuiteName)
    : platform(platform), optionsReader(platform.userDefaults(), defaultsSuiteName) {}

void NetworkSpeedStatusItemApp::applicationDidFinishLaunching() {
  platform.sharedApplication().setActivationPolicy(platform::ActivationPolicy::accessory);
  buildStatusItem();
  startTimers();
}

void NetworkSpeedStatusItemApp::applicationWillTerminate() {
  if (updateTimer) updateTimer->invalidate();
  if (parentTimer) parentTimer->invalidate();
}

void NetworkSpeedStatusItemApp::buildStatusItem() {
  std::shared_ptr<platform::StatusItem> item =
      platform.statusBar().statusItem(platform::kVariableStatusItemLength);
  // The button is fetched again for every setting, and a setting is skipped
  // when the item has none.
  if (auto* button = item->button()) button->setImagePosition(platform::ImagePosition::imageOnly);
  if (auto* button = item->button()) button->setToolTip(kHeadingTitle);
  if (auto* button = item->button()) button->setThemedIconName(kThemedIconName);
  if (auto* button = item->button()) {
    button->setAction(weakly(weak_from_this(), &App::statusItemClicked));
  }
  // Released, not pressed: a press alone never runs the action.
  if (auto* button = item->button()) {
    button->sendActionOn(platform::kEventMaskLeftMouseUp | platform::kEventMaskRightMouseUp);
  }
  item->setVisible(true);
  statusMenu = buildMenu();
  // Tray hosts that open an item's menu themselves must know it before any
  // click; where the menu opens through a click this does nothing.
  item->setSecondaryClickMenu(statusMenu);
  statusItem = std::move(item);
  refreshStatusItem();
}

std::shared_ptr<platform::Menu> NetworkSpeedStatusItemApp::buildMenu() {
  std::shared_ptr<platform::Menu> menu = platform.statusBar().newMenu();
  menu->addItem(kHeadingTitle, nullptr, kNoKeyEquivalent, false);
  menu->addSeparator();
  menu->addItem(kOpenMainWindowTitle, weakly(weak_from_this(), &App::openMainWindow),
                kNoKeyEquivalent, true);
  menu->addSeparator();
  menu->addItem(kQuitTitle, weakly(weak_from_this(), &App::quit), kNoKeyEquivalent, true);
  return menu;
}

void NetworkSpeedStatusItemApp::startTimers() {
  updateTimer = platform.runLoop().scheduleRepeatingTimer(
      kRefreshIntervalSeconds, weakly(weak_from_this(), &App::refreshStatusItem));
  parentTimer = startParentWatchdog(platform, weak_from_this(), parentPID);
}

void NetworkSpeedStatusItemApp::refreshStatusItem() {
  // Sampled first and on every run, so the rates always cover the time since
  // the previous run, whatever else is missing.
  const NetworkSnapshot network = networkSampler.sample();
  const DisplayOptions options = optionsReader.read();
  const StatusMetrics metrics = buildMetrics(options, memorySampler, cpuSampler, gpuSampler);
  std::shared_ptr<platform::Image> image = renderer.image(network, metrics);
  if (!statusItem) return;
  statusItem->setLength(image->size().width + kStatusItemPadding);
  if (auto* button = statusItem->button()) button->setImage(std::move(image));
  if (auto* button = statusItem->button()) {
    button->setCompactReading(compactReading(network, metrics, renderer));
  }
  if (auto* button = statusItem->button()) button->setToolTip(rateToolTip(network, metrics));
}

void NetworkSpeedStatusItemApp::statusItemClicked() {
  if (!isSecondaryClick(platform.sharedApplication().currentEvent())) {
    openMainWindow();
    return;
  }
  // A secondary click without an item or a menu does nothing at all: it
  // does not fall back to the primary action.
  if (!statusItem || !statusMenu) return;
  // Held locally: a menu command may end the application while it is open.
  const std::shared_ptr<platform::StatusItem> item = statusItem;
  item->setMenu(statusMenu);
  // With the menu attached the click opens it; the call returns once it has
  // closed.
  if (auto* button = item->button()) button->performClick();
  // Detached again, so that the next click reaches this action.
  item->setMenu(nullptr);
}

void NetworkSpeedStatusItemApp::openMainWindow() {
  sendHostRequest(platform, hostNotificationName(kShowWindowSuffix), parentPID);
}

void NetworkSpeedStatusItemApp::quit() { platform.sharedApplication().terminate(); }

}  // namespace agent
