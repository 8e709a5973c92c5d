#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/linux_platform.h"
#include "tests/support/gdbus.h"

namespace platform::linuxdesktop::testing {

using namespace std::chrono_literals;
using test_support::callAndWait;
using test_support::connectPeer;
using test_support::printed;
using test_support::roundTrip;
using test_support::spinUntil;

inline constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";

// Records the status item signals a connection receives, from any sender, as
// "member body".
class SignalRecorder {
 public:
  explicit SignalRecorder(GDBusConnection* connection);
  // How many of the recorded signals contain the text.
  int count(const std::string& text) const;

 private:
  std::vector<std::string> received;
  SignalSubscriptionId subscription;
};

// A platform over the private bus, and a peer connection that plays the
// tray: host, and StatusNotifierWatcher from the start. Like real hosts, the
// watcher reads an item's menu layout the moment the item registers.
class StatusItemTest : public ::testing::Test {
 protected:
  void SetUp() override;

  std::shared_ptr<platform::StatusItem> newItem();
  bool waitForRegistration();
  static std::string itemBusName();
  VariantPtr callItem(const char* method, GVariant* parameters,
                      const char* path = "/StatusNotifierItem",
                      const char* interfaceName = kItemInterface);
  VariantPtr itemProperty(const char* name);
  std::string printedProperty(const char* name) { return printed(itemProperty(name).get()); }

  std::unique_ptr<LinuxPlatform> platform;
  GObjectPtr<GDBusConnection> host = connectPeer();
  // The GetLayout reply read at each registration, in order.
  std::vector<VariantPtr> menuLayouts;
  // What each registration gave the watcher, in order.
  std::vector<std::string> registeredServices;

 private:
  ObjectRegistrationId watcherObject;
};

}  // namespace platform::linuxdesktop::testing
