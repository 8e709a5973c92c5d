#include "tests/support/gdbus.h"

#include <cstdlib>
#include <memory>
#include <optional>

namespace test_support {

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
                       const char* interfaceName, const char* method, GVariant* parameters,
                       std::chrono::milliseconds limit) {
  using Reply = std::shared_ptr<std::optional<VariantPtr>>;
  auto reply = std::make_shared<std::optional<VariantPtr>>();
  // The callback holds its own reference: an answer may come after the
  // caller stopped waiting.
  const auto answered = [](GObject* source, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<Reply> held{static_cast<Reply*>(data)};
    (*held)->emplace(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr));
  };
  g_dbus_connection_call(connection, destination, path, interfaceName, method, parameters, nullptr,
                         G_DBUS_CALL_FLAGS_NO_AUTO_START, static_cast<int>(limit.count()) - 1000,
                         nullptr, answered, new Reply(reply));
  if (!spinUntil([&] { return reply->has_value(); }, limit)) return nullptr;
  return std::move(**reply);
}

void roundTrip(GDBusConnection* connection, const char* destination) {
  callAndWait(connection, destination, "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping",
              nullptr);
}

std::string printed(GVariant* value) {
  const platform::linuxdesktop::GCharPtr text{value ? g_variant_print(value, TRUE) : g_strdup("")};
  return text.get();
}

GObjectPtr<GDBusConnection> connectPeer(const char* address) {
  return GObjectPtr<GDBusConnection>{g_dbus_connection_new_for_address_sync(
      address != nullptr ? address : std::getenv("DBUS_SESSION_BUS_ADDRESS"),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr)};
}

}  // namespace test_support
