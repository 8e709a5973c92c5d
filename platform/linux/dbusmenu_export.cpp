#include "platform/linux/dbusmenu_export.h"

#include <utility>

namespace platform::linuxdesktop {

DbusmenuExport::DbusmenuExport(GDBusConnection* connection, const std::string& objectPath,
                               std::shared_ptr<DbusmenuMenu> menu, std::function<void()> exported)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      exported(std::move(exported)),
      objectPath(objectPath),
      server(dbusmenu_server_new(objectPath.c_str())) {
  show(std::move(menu));
  probe();
}

void DbusmenuExport::show(std::shared_ptr<DbusmenuMenu> newMenu) {
  // Set as a property rather than with dbusmenu_server_set_root, whose
  // reference handling differs between library versions.
  g_object_set(server.get(), DBUSMENU_SERVER_PROP_ROOT_NODE, newMenu->root(), nullptr);
  menu = std::move(newMenu);
}

// The server registers its object only after its own asynchronous bus lookup,
// and says nothing when it has. Asking it a question through the bus is the
// one reliable way to know a host will get an answer too.
void DbusmenuExport::probe() {
  ++attempts;
  g_dbus_connection_call(connection.get(), g_dbus_connection_get_unique_name(connection.get()),
                         objectPath.c_str(), "org.freedesktop.DBus.Properties", "Get",
                         g_variant_new("(ss)", "com.canonical.dbusmenu", "Version"),
                         G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, 1000,
                         cancellable.get(), &DbusmenuExport::probed, this);
}

void DbusmenuExport::finish() {
  std::function<void()> announce = std::exchange(exported, nullptr);
  if (announce) announce();
}

void DbusmenuExport::probed(GObject* source, GAsyncResult* result, gpointer data) {
  ErrorPtr error;
  GError* raw = nullptr;
  const VariantPtr reply{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &raw)};
  error.reset(raw);
  if (g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  auto* self = static_cast<DbusmenuExport*>(data);
  if (reply || self->attempts >= kPatience) {
    self->finish();
    return;
  }
  self->retrySource = SourceId{g_timeout_add(kRetryMilliseconds, &DbusmenuExport::retry, self)};
}

gboolean DbusmenuExport::retry(gpointer data) {
  auto* self = static_cast<DbusmenuExport*>(data);
  self->retrySource.release();
  self->probe();
  return G_SOURCE_REMOVE;
}

}  // namespace platform::linuxdesktop
