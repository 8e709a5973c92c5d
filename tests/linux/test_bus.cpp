#include "tests/linux/test_bus.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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

void spinFor(std::chrono::milliseconds duration) {
  spinUntil([] { return false; }, duration);
}

PendingReply callLater(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters) {
  auto pending = std::make_shared<std::optional<VariantPtr>>();
  // The callback holds its own reference: an answer may come after the
  // caller stopped waiting.
  const auto answered = [](GObject* source, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<PendingReply> held{static_cast<PendingReply*>(data)};
    (*held)->emplace(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr));
  };
  g_dbus_connection_call(connection, destination, path, interfaceName, method, parameters, nullptr,
                         G_DBUS_CALL_FLAGS_NO_AUTO_START, 4000, nullptr, answered,
                         new PendingReply(pending));
  return pending;
}

VariantPtr callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters) {
  const PendingReply reply =
      callLater(connection, destination, path, interfaceName, method, parameters);
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

}  // namespace platform::linuxdesktop::testing
