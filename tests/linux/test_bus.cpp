#include "tests/linux/test_bus.h"

#include <unistd.h>

#include <algorithm>

namespace platform::linuxdesktop::testing {

SignalRecorder::SignalRecorder(GDBusConnection* connection) {
  const auto record = [](GDBusConnection*, const gchar*, const gchar*, const gchar*,
                         const gchar* member, GVariant* body, gpointer data) {
    static_cast<SignalRecorder*>(data)->received.push_back(std::string{member} + " " +
                                                           printed(body));
  };
  subscription = SignalSubscriptionId{
      connection,
      g_dbus_connection_signal_subscribe(connection, nullptr, kItemInterface, nullptr, nullptr,
                                         nullptr, G_DBUS_SIGNAL_FLAGS_NONE, record, this, nullptr)};
}

int SignalRecorder::count(const std::string& text) const {
  return static_cast<int>(std::count_if(received.begin(), received.end(), [&](const auto& line) {
    return line.find(text) != std::string::npos;
  }));
}

void StatusItemTest::SetUp() {
  platform = LinuxPlatform::create("velmora-test-agent");
  ASSERT_TRUE(platform);
  ASSERT_TRUE(host);
  static const DBusNodeInfoPtr node{
      g_dbus_node_info_new_for_xml("<node><interface name='org.kde.StatusNotifierWatcher'><method "
                                   "name='RegisterStatusNotifierItem'><arg type='s' "
                                   "direction='in'/></method></interface></node>",
                                   nullptr)};
  // The layout is read while the call is handled, before the item hears back.
  const auto registerItem = [](GDBusConnection* connection, const gchar* sender, const gchar*,
                               const gchar*, const gchar*, GVariant* parameters,
                               GDBusMethodInvocation* invocation, gpointer data) {
    const char* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    static_cast<StatusItemTest*>(data)->registeredServices.emplace_back(service);
    static_cast<StatusItemTest*>(data)->menuLayouts.push_back(
        callAndWait(connection, sender, "/MenuBar", "com.canonical.dbusmenu", "GetLayout",
                    g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0))));
    g_dbus_method_invocation_return_value(invocation, nullptr);
  };
  static const GDBusInterfaceVTable vtable = {
      .method_call = registerItem, .get_property = nullptr, .set_property = nullptr, .padding = {}};
  watcherObject = ObjectRegistrationId{
      host.get(),
      g_dbus_connection_register_object(host.get(), "/StatusNotifierWatcher", node->interfaces[0],
                                        &vtable, this, nullptr, nullptr)};
  ASSERT_TRUE(callAndWait(host.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                          "org.freedesktop.DBus", "RequestName",
                          g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 0u)));
}

std::shared_ptr<platform::StatusItem> StatusItemTest::newItem() {
  return platform->statusBar().statusItem(platform::kVariableStatusItemLength);
}

bool StatusItemTest::waitForRegistration() {
  return spinUntil([&] { return !menuLayouts.empty(); });
}

std::string StatusItemTest::itemBusName() {
  return "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1";
}

VariantPtr StatusItemTest::callItem(const char* method, GVariant* parameters, const char* path,
                                    const char* interfaceName) {
  return callAndWait(host.get(), itemBusName().c_str(), path, interfaceName, method, parameters);
}

VariantPtr StatusItemTest::itemProperty(const char* name) {
  const VariantPtr reply = callItem("Get", g_variant_new("(ss)", kItemInterface, name),
                                    "/StatusNotifierItem", "org.freedesktop.DBus.Properties");
  GVariant* value = nullptr;
  if (reply) g_variant_get(reply.get(), "(v)", &value);
  return VariantPtr{value};
}

}  // namespace platform::linuxdesktop::testing
