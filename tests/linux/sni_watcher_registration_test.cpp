#include "platform/linux/sni_watcher_registration.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/linux/test_bus.h"

namespace platform::linuxdesktop::testing {
namespace {

using SniWatcherRegistrationTest = StatusItemTest;

// Two agents with the same process id (in two pid namespaces) want the same
// bus name: the second registers by its connection's unique name, and the
// watcher reaches both items.
TEST_F(SniWatcherRegistrationTest, AnItemWhosePreferredNameIsTakenRegistersByItsUniqueName) {
  const GObjectPtr<GDBusConnection> otherAgent = connectPeer();
  SniWatcherRegistration first{otherAgent.get(), itemBusName(), itemBusName(), [] { return true; }};
  ASSERT_TRUE(spinUntil([&] { return registeredServices.size() == 1; }));
  EXPECT_EQ(registeredServices[0], itemBusName());

  const auto item = newItem();
  ASSERT_TRUE(spinUntil([&] { return registeredServices.size() == 2; }))
      << "the second item never registered";
  const std::string second = registeredServices[1];
  EXPECT_NE(second, itemBusName());
  const VariantPtr id = callAndWait(host.get(), second.c_str(), "/StatusNotifierItem",
                                    "org.freedesktop.DBus.Properties", "Get",
                                    g_variant_new("(ss)", kItemInterface, "Id"));
  EXPECT_EQ(printed(id.get()), "(<'velmora-test-agent'>,)") << "registered as " << second;
}

// GNOME's extension announces an item unregistered when its first reading
// failed, while the item lives on: it registers again, whichever way the
// watcher names it, and only for its own entry.
TEST_F(SniWatcherRegistrationTest, AnItemTheWatcherDropsWhileItLivesRegistersAgain) {
  const auto item = newItem();
  ASSERT_TRUE(spinUntil([&] { return registeredServices.size() == 1; }));
  // The platform's connection is the process's shared one.
  const GObjectPtr<GDBusConnection> shared{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  const std::string uniqueName = g_dbus_connection_get_unique_name(shared.get());
  const auto drop = [&](const std::string& entry) {
    g_dbus_connection_emit_signal(host.get(), nullptr, "/StatusNotifierWatcher",
                                  "org.kde.StatusNotifierWatcher", "StatusNotifierItemUnregistered",
                                  g_variant_new("(s)", entry.c_str()), nullptr);
  };
  drop("org.kde.StatusNotifierItem-1-1");
  drop(uniqueName + "/StatusNotifierItem/2");
  EXPECT_FALSE(spinUntil([&] { return registeredServices.size() > 1; }, 500ms))
      << "another item's entry made this one register";
  drop(itemBusName());
  EXPECT_TRUE(spinUntil([&] { return registeredServices.size() == 2; }, 2s)) << "by bus name";
  drop(uniqueName + "/StatusNotifierItem");
  EXPECT_TRUE(spinUntil([&] { return registeredServices.size() == 3; }, 2s)) << "by unique name";
  EXPECT_EQ(registeredServices.back(), itemBusName());
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
