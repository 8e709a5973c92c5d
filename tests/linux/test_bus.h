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

namespace platform::linuxdesktop::testing {

using namespace std::chrono_literals;

// Runs the default main context until done() holds; false when the limit
// passes first (done() always false: for checking that nothing happens). Everything on the bus in
// this process (items, watcher, host) is served from this context, so tests wait here and never
// block on a call.
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s);

// The reply; null on an error or when none came in time.
VariantPtr callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters);

// Returns once every message the destination sent before has arrived; with
// the bus as destination, once the bus has handled what this connection sent.
void roundTrip(GDBusConnection* connection, const char* destination = "org.freedesktop.DBus");

std::string printed(GVariant* value);

// Starts a server that prints one line once it is ready (an address, a
// display number); that line, empty when the server did not start.
std::string startServer(const char* const argv[], GPid& pid);
void stopServer(GPid pid);

// A connection to the private session bus, as another process would have.
GObjectPtr<GDBusConnection> connectPeer();

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
