#include "platform/linux/sni_watcher_registration.h"

#include <algorithm>
#include <utility>

namespace platform::linuxdesktop {
namespace {

constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kWatcherInterface = "org.kde.StatusNotifierWatcher";
constexpr const char* kDefaultItemPath = "/StatusNotifierItem";
// RequestName's flag and answers, as the D-Bus protocol numbers them.
constexpr guint32 kDoNotQueue = 4;
constexpr guint32 kPrimaryOwner = 1;
constexpr guint32 kAlreadyOwner = 4;

}  // namespace

SniWatcherRegistration::SniWatcherRegistration(GDBusConnection* connection, std::string busName,
                                               std::string service, std::function<bool()> ready)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      busName(std::move(busName)),
      service(std::move(service)),
      ready(std::move(ready)) {
  g_dbus_connection_call(connection, kBusName, kBusPath, kBusName, "RequestName",
                         g_variant_new("(su)", this->busName.c_str(), kDoNotQueue),
                         G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, cancellable.get(),
                         &SniWatcherRegistration::nameRequested, this);
  watch = BusNameWatchId{
      g_bus_watch_name_on_connection(connection, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                     &SniWatcherRegistration::watcherAppeared,
                                     &SniWatcherRegistration::watcherVanished, this, nullptr)};
  dropped = SignalSubscriptionId{
      connection, g_dbus_connection_signal_subscribe(
                      connection, kWatcherName, kWatcherInterface, "StatusNotifierItemUnregistered",
                      kWatcherPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                      &SniWatcherRegistration::itemUnregistered, this, nullptr)};
}

SniWatcherRegistration::~SniWatcherRegistration() {
  // Without a callback the call expects no reply and returns at once.
  if (ownsName) {
    g_dbus_connection_call(connection.get(), kBusName, kBusPath, kBusName, "ReleaseName",
                           g_variant_new("(s)", busName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE,
                           -1, nullptr, nullptr, nullptr);
  }
}

void SniWatcherRegistration::registerAgain() { registerIfPossible(); }

void SniWatcherRegistration::registerIfPossible() {
  if (!nameSettled || !watcherPresent || !ready()) return;
  // The reply carries nothing the item could act on: a watcher that refuses
  // leaves the item unseen until the watcher appears again.
  g_dbus_connection_call(connection.get(), kWatcherName, kWatcherPath, kWatcherInterface,
                         "RegisterStatusNotifierItem", g_variant_new("(s)", service.c_str()),
                         nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, cancellable.get(),
                         &SniWatcherRegistration::registered, nullptr);
}

void SniWatcherRegistration::nameRequested(GObject* source, GAsyncResult* result, gpointer data) {
  GError* error = nullptr;
  const VariantPtr reply{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)};
  const ErrorPtr owned{error};
  // Cancelled: the registration is gone.
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  auto* self = static_cast<SniWatcherRegistration*>(data);
  guint32 answer = 0;
  if (reply) g_variant_get(reply.get(), "(u)", &answer);
  self->ownsName = answer == kPrimaryOwner || answer == kAlreadyOwner;
  if (!self->ownsName && self->service == self->busName) {
    self->service = g_dbus_connection_get_unique_name(self->connection.get());
  }
  self->nameSettled = true;
  self->registerIfPossible();
}

void SniWatcherRegistration::watcherAppeared(GDBusConnection*, const gchar*, const gchar*,
                                             gpointer data) {
  auto* self = static_cast<SniWatcherRegistration*>(data);
  self->watcherPresent = true;
  self->retrySource.reset();
  self->retryMilliseconds = 0;
  self->registerIfPossible();
}

void SniWatcherRegistration::watcherVanished(GDBusConnection*, const gchar*, gpointer data) {
  auto* self = static_cast<SniWatcherRegistration*>(data);
  self->watcherPresent = false;
  self->retrySource.reset();
}

bool SniWatcherRegistration::namesThisItem(const std::string& entry) const {
  if (entry == service) return true;
  // Watchers name an item registered by path, or by unique name, as the
  // connection's unique name followed by the object path.
  const char* unique = g_dbus_connection_get_unique_name(connection.get());
  if (unique == nullptr || !entry.starts_with(unique)) return false;
  const std::string path = entry.substr(std::string_view{unique}.size());
  return path == (service.starts_with('/') ? service : std::string{kDefaultItemPath});
}

void SniWatcherRegistration::itemUnregistered(GDBusConnection*, const gchar*, const gchar*,
                                              const gchar*, const gchar*, GVariant* parameters,
                                              gpointer data) {
  auto* self = static_cast<SniWatcherRegistration*>(data);
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(s)"))) return;
  const char* entry = nullptr;
  g_variant_get(parameters, "(&s)", &entry);
  if (!self->namesThisItem(entry) || self->retrySource) return;
  const gint64 now = g_get_monotonic_time();
  const bool lately =
      self->lastDropped != 0 && now - self->lastDropped < G_GINT64_CONSTANT(60'000'000);
  self->lastDropped = now;
  self->retryMilliseconds = lately
                                ? std::min(self->retryMilliseconds * 2, kLongestRetryMilliseconds)
                                : kFirstRetryMilliseconds;
  self->retrySource = SourceId{g_timeout_add(self->retryMilliseconds, &retry, self)};
}

gboolean SniWatcherRegistration::retry(gpointer data) {
  auto* self = static_cast<SniWatcherRegistration*>(data);
  self->retrySource.release();
  self->registerIfPossible();
  return G_SOURCE_REMOVE;
}

void SniWatcherRegistration::registered(GObject* source, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  const VariantPtr reply{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)};
  const ErrorPtr owned{error};
}

}  // namespace platform::linuxdesktop
