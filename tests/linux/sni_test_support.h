#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/linux_platform.h"
#include "tests/linux/test_bus.h"

namespace platform::linuxdesktop::testing {

inline constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";

// Records the signals a connection receives as "path interface.member body";
// a null sender or interface name matches any.
class SignalRecorder {
 public:
  SignalRecorder(GDBusConnection* connection, const char* sender, const char* interfaceName);
  // How many of the recorded signals contain the text.
  int count(const std::string& text) const;

  std::vector<std::string> received;

 private:
  SignalSubscriptionId subscription;
};

// A platform over the private bus, and a peer connection that plays the
// tray: host, and StatusNotifierWatcher while it owns the watcher's name
// (from the start). Like real hosts, the watcher reads an item's menu
// layout the moment the item registers.
class StatusItemTest : public ::testing::Test {
 protected:
  struct Registration {
    std::string service;
    VariantPtr menuLayout;
  };
  // A child of the menu's root: its id and its properties, printed.
  struct MenuEntry {
    int id = 0;
    std::string properties;
  };

  void SetUp() override;

  std::shared_ptr<platform::StatusItem> newItem();
  // Takes or gives up the watcher's name; items see the watcher come or go.
  bool ownWatcher(bool owned = true);
  bool waitForRegistrations(std::size_t count);
  static std::string itemBusName();
  VariantPtr callItem(const char* method, GVariant* parameters,
                      const char* path = "/StatusNotifierItem",
                      const char* interfaceName = kItemInterface);
  VariantPtr itemProperty(const char* name);
  std::string printedProperty(const char* name) { return printed(itemProperty(name).get()); }
  static std::vector<MenuEntry> menuEntries(GVariant* layoutReply);

  std::unique_ptr<LinuxPlatform> platform;
  GObjectPtr<GDBusConnection> host = connectPeer();
  std::vector<Registration> registrations;

 private:
  ObjectRegistrationId watcherObject;
};

}  // namespace platform::linuxdesktop::testing
