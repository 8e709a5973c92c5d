#include "platform/linux/sni_watcher_registration.h"

#include <utility>

namespace platform::linuxdesktop {

SniWatcherRegistration::SniWatcherRegistration(GDBusConnection* connection, std::string busName,
                                               std::string service, std::function<bool()> ready)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      service(std::move(service)),
      ready(std::move(ready)) {
  ownership = BusNameOwnerId{g_bus_own_name_on_connection(
      connection, busName.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE,
      &SniWatcherRegistration::nameAcquired, &SniWatcherRegistration::nameLost, this, nullptr)};
  watch = BusNameWatchId{
      g_bus_watch_name_on_connection(connection, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                     &SniWatcherRegistration::watcherAppeared,
                                     &SniWatcherRegistration::watcherVanished, this, nullptr)};
}

void SniWatcherRegistration::registerAgain() { registerIfPossible(); }

void SniWatcherRegistration::registerIfPossible() {
  if (!ownsName || !watcherPresent || !ready()) return;
  // The reply carries nothing the item could act on: a watcher that refuses
  // leaves the item unseen until the watcher appears again.
  g_dbus_connection_call(connection.get(), kWatcherName, "/StatusNotifierWatcher",
                         "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem",
                         g_variant_new("(s)", service.c_str()), nullptr,
                         G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, cancellable.get(),
                         &SniWatcherRegistration::registered, nullptr);
}

void SniWatcherRegistration::nameAcquired(GDBusConnection*, const gchar*, gpointer data) {
  auto* self = static_cast<SniWatcherRegistration*>(data);
  self->ownsName = true;
  self->registerIfPossible();
}

void SniWatcherRegistration::nameLost(GDBusConnection*, const gchar*, gpointer data) {
  static_cast<SniWatcherRegistration*>(data)->ownsName = false;
}

void SniWatcherRegistration::watcherAppeared(GDBusConnection*, const gchar*, const gchar*,
                                             gpointer data) {
  auto* self = static_cast<SniWatcherRegistration*>(data);
  self->watcherPresent = true;
  self->registerIfPossible();
}

void SniWatcherRegistration::watcherVanished(GDBusConnection*, const gchar*, gpointer data) {
  static_cast<SniWatcherRegistration*>(data)->watcherPresent = false;
}

void SniWatcherRegistration::registered(GObject* source, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  const VariantPtr reply{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)};
  const ErrorPtr owned{error};
}

}  // namespace platform::linuxdesktop
