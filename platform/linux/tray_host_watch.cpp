#include "platform/linux/tray_host_watch.h"

#include <utility>

#include "platform/linux/tray_presentation.h"

namespace platform::linuxdesktop {
namespace {

constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

}  // namespace

TrayHostWatch::TrayHostWatch(GDBusConnection* connection, std::function<void()> lost,
                             std::function<void(std::optional<std::string>)> found)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      lost(std::move(lost)),
      found(std::move(found)) {
  watch = BusNameWatchId{g_bus_watch_name_on_connection(
      connection, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE, &TrayHostWatch::appeared,
      &TrayHostWatch::vanished, this, nullptr)};
}

void TrayHostWatch::appeared(GDBusConnection*, const gchar*, const gchar* owner, gpointer data) {
  auto* self = static_cast<TrayHostWatch*>(data);
  self->lost();
  self->question.reset(g_cancellable_new());
  g_dbus_connection_call(self->connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                         g_variant_new("(s)", owner), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE,
                         -1, self->question.get(), &TrayHostWatch::answered, self);
}

void TrayHostWatch::vanished(GDBusConnection*, const gchar*, gpointer data) {
  auto* self = static_cast<TrayHostWatch*>(data);
  self->question.reset();
  self->lost();
}

void TrayHostWatch::answered(GObject* source, GAsyncResult* result, gpointer data) {
  GError* error = nullptr;
  const VariantPtr reply{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)};
  const ErrorPtr failure{error};
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  auto* self = static_cast<TrayHostWatch*>(data);
  guint32 processId = 0;
  if (reply) g_variant_get(reply.get(), "(u)", &processId);
  self->found(reply ? programOfProcess(processId) : std::nullopt);
}

}  // namespace platform::linuxdesktop
