#include "tests/linux/main_loop.h"

#include <optional>

namespace platform::linuxdesktop::testing {

namespace {

gboolean markExpired(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

struct PendingCall {
  bool done = false;
  CallResult result;
};

void callFinished(GObject* source, GAsyncResult* result, gpointer data) {
  auto* pending = static_cast<PendingCall*>(data);
  GError* error = nullptr;
  pending->result.reply.reset(
      g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error));
  const ErrorPtr owned{error};
  if (error != nullptr) {
    const GCharPtr remote{g_dbus_error_get_remote_error(error)};
    pending->result.errorName = remote ? remote.get() : error->message;
  }
  pending->done = true;
}

}  // namespace

bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  bool expired = false;
  const guint timeout = g_timeout_add(static_cast<guint>(limit.count()), &markExpired, &expired);
  while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
  if (!expired) g_source_remove(timeout);
  return done();
}

void spinFor(std::chrono::milliseconds duration) {
  spinUntil([] { return false; }, duration);
}

CallResult callAndWait(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* method, GVariant* parameters) {
  // Heap-held: a call still in flight at the time limit completes later.
  auto* pending = new PendingCall;
  g_dbus_connection_call(connection, destination, path, interfaceName, method, parameters, nullptr,
                         G_DBUS_CALL_FLAGS_NO_AUTO_START, 4000, nullptr, &callFinished, pending);
  if (!spinUntil([pending] { return pending->done; })) {
    return CallResult{nullptr, "timeout"};
  }
  CallResult result = std::move(pending->result);
  delete pending;
  return result;
}

VariantPtr getProperty(GDBusConnection* connection, const char* destination, const char* path,
                       const char* interfaceName, const char* name) {
  CallResult result = callAndWait(connection, destination, path, "org.freedesktop.DBus.Properties",
                                  "Get", g_variant_new("(ss)", interfaceName, name));
  if (!result.reply) return nullptr;
  VariantPtr boxed{g_variant_get_child_value(result.reply.get(), 0)};
  return VariantPtr{g_variant_get_variant(boxed.get())};
}

void roundTrip(GDBusConnection* connection, const char* destination) {
  callAndWait(connection, destination, "/", "org.freedesktop.DBus.Peer", "Ping", nullptr);
}

}  // namespace platform::linuxdesktop::testing
