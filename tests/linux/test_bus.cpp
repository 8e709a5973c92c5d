#include "tests/linux/test_bus.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

namespace platform::linuxdesktop::testing {

bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  bool expired = false;
  const auto expire = [](gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
  };
  const guint timeout = g_timeout_add(static_cast<guint>(limit.count()), expire, &expired);
  while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
  if (!expired) g_source_remove(timeout);
  return done();
}

VariantPtr callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters) {
  using Reply = std::shared_ptr<std::optional<VariantPtr>>;
  auto reply = std::make_shared<std::optional<VariantPtr>>();
  // The callback holds its own reference: an answer may come after the
  // caller stopped waiting.
  const auto answered = [](GObject* source, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<Reply> held{static_cast<Reply*>(data)};
    (*held)->emplace(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr));
  };
  g_dbus_connection_call(connection, destination, path, interfaceName, method, parameters, nullptr,
                         G_DBUS_CALL_FLAGS_NO_AUTO_START, 4000, nullptr, answered,
                         new Reply(reply));
  if (!spinUntil([&] { return reply->has_value(); })) return nullptr;
  return std::move(**reply);
}

void roundTrip(GDBusConnection* connection, const char* destination) {
  callAndWait(connection, destination, "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping",
              nullptr);
}

std::string printed(GVariant* value) {
  const GCharPtr text{value ? g_variant_print(value, TRUE) : g_strdup("")};
  return text.get();
}

std::string startServer(const char* const argv[], GPid& pid) {
  int output = -1;
  const auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                              G_SPAWN_STDERR_TO_DEV_NULL);
  if (!g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr, flags, nullptr,
                                nullptr, &pid, nullptr, &output, nullptr, nullptr)) {
    return "";
  }
  std::string line;
  char c = 0;
  pollfd ready{output, POLLIN, 0};
  while (poll(&ready, 1, 5000) > 0 && read(output, &c, 1) == 1 && c != '\n') line += c;
  close(output);
  return line;
}

void stopServer(GPid pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

GObjectPtr<GDBusConnection> connectPeer() {
  return GObjectPtr<GDBusConnection>{g_dbus_connection_new_for_address_sync(
      std::getenv("DBUS_SESSION_BUS_ADDRESS"),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr)};
}

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
