#pragma once

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/linux_platform.h"
#include "tests/linux/fake_watcher.h"
#include "tests/linux/main_loop.h"
#include "tests/linux/private_session_bus.h"

namespace platform::linuxdesktop::testing {

inline constexpr const char* kProgramName = "velmora-test-agent";
inline constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
inline constexpr const char* kItemPath = "/StatusNotifierItem";

// Records the signals a host connection receives from status items.
class SignalRecorder {
 public:
  SignalRecorder(GDBusConnection* connection, const char* interfaceName);
  int count(const std::string& member) const;
  // The body of the last signal with the member, printed; empty when none came.
  std::string lastBody(const std::string& member) const;

 private:
  static void received(GDBusConnection* connection, const gchar* sender, const gchar* path,
                       const gchar* interfaceName, const gchar* member, GVariant* body,
                       gpointer data);

  std::vector<std::pair<std::string, std::string>> signals;
  SignalSubscriptionId subscription;
};

// A platform over the private bus, a watcher, and a host connection that
// talks to the platform's first status item like a tray host.
class StatusItemTest : public ::testing::Test {
 protected:
  void SetUp() override;

  static std::string itemBusName();
  // Waits until the item holds its bus name.
  bool waitForItemName();
  bool waitForRegistrations(std::size_t count);
  VariantPtr itemProperty(const char* name);
  std::string printedProperty(const char* name);
  CallResult callItem(const char* method, GVariant* parameters);

  std::unique_ptr<LinuxPlatform> platform;
  GObjectPtr<GDBusConnection> host;
  FakeWatcher watcher;
};

std::string printed(GVariant* value);

}  // namespace platform::linuxdesktop::testing
