#include "tools/tray_view/tray_host.h"

#include <unistd.h>

#include <cstdio>

#include "tools/terminal_text/terminal_text.h"
#include "tools/tray_view/sni_protocol.h"

namespace tools::trayview {
namespace {

// Finishes an async call; absent after cancellation (the owner is gone) and
// after an error, which is reported with what.
std::optional<VariantPtr> finishCall(GObject* source, GAsyncResult* result, const char* what) {
  GError* callError = nullptr;
  VariantPtr reply{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &callError)};
  const ErrorPtr error{callError};
  if (g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return std::nullopt;
  if (!reply) {
    printEscapedLine(stderr, std::string{"tray-view: "} + what + " failed: " + errorText(error));
    return std::nullopt;
  }
  return reply;
}

}  // namespace

TrayHost::TrayHost(GDBusConnection* bus, Observer& itemObserver)
    : connection(G_DBUS_CONNECTION(g_object_ref(bus))),
      observer(itemObserver),
      hostName(kHostNamePrefix + std::to_string(getpid())) {
  const guint subscription = g_dbus_connection_signal_subscribe(
      connection.get(), kWatcherName, kWatcherInterface, nullptr, kWatcherPath, nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE, watcherSignal, this, nullptr);
  watcherSignals = SignalSubscription{connection.get(), subscription};
  ownedHostName = OwnedName{g_bus_own_name_on_connection(
      connection.get(), hostName.c_str(), G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, hostNameAcquired,
      hostNameLost, this, nullptr)};
  watcherName = WatchedName{
      g_bus_watch_name_on_connection(connection.get(), kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                     watcherAppeared, watcherVanished, this, nullptr)};
}

void TrayHost::hostNameAcquired(GDBusConnection*, const char*, gpointer self) {
  auto* host = static_cast<TrayHost*>(self);
  host->hostNameOwned = true;
  host->registerWithWatcher();
}

void TrayHost::hostNameLost(GDBusConnection*, const char* name, gpointer self) {
  static_cast<TrayHost*>(self)->hostNameOwned = false;
  printEscapedLine(stderr, std::string{"tray-view: cannot own "} + name);
}

void TrayHost::watcherAppeared(GDBusConnection*, const char*, const char* owner, gpointer self) {
  auto* host = static_cast<TrayHost*>(self);
  const char* own = g_dbus_connection_get_unique_name(host->connection.get());
  if (g_strcmp0(owner, own) != 0) {
    printEscapedLine(stderr, std::string{"tray-view: using the watcher "} + (owner ? owner : ""));
  }
  host->watcherPresent = true;
  host->registerWithWatcher();
  // Async throughout: the watcher may be this very process.
  g_dbus_connection_call(host->connection.get(), kWatcherName, kWatcherPath, kPropertiesInterface,
                         "Get",
                         g_variant_new("(ss)", kWatcherInterface, "RegisteredStatusNotifierItems"),
                         G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMilliseconds,
                         host->cancellable.get(), itemsListed, host);
}

void TrayHost::watcherVanished(GDBusConnection*, const char*, gpointer self) {
  // Items stay: they live on without a watcher and register with the next one.
  static_cast<TrayHost*>(self)->watcherPresent = false;
}

void TrayHost::registerWithWatcher() {
  if (!hostNameOwned || !watcherPresent) return;
  g_dbus_connection_call(connection.get(), kWatcherName, kWatcherPath, kWatcherInterface,
                         "RegisterStatusNotifierHost", g_variant_new("(s)", hostName.c_str()),
                         nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMilliseconds,
                         cancellable.get(), hostRegistered, this);
}

void TrayHost::hostRegistered(GObject* source, GAsyncResult* result, gpointer) {
  finishCall(source, result, "RegisterStatusNotifierHost");
}

void TrayHost::itemsListed(GObject* source, GAsyncResult* result, gpointer self) {
  const auto reply = finishCall(source, result, "reading RegisteredStatusNotifierItems");
  if (!reply) return;
  const VariantPtr boxed{g_variant_get_child_value(reply->get(), 0)};
  const VariantPtr entries{g_variant_get_variant(boxed.get())};
  if (!g_variant_is_of_type(entries.get(), G_VARIANT_TYPE_STRING_ARRAY)) return;
  auto* host = static_cast<TrayHost*>(self);
  GVariantIter iterator;
  g_variant_iter_init(&iterator, entries.get());
  const char* entry = nullptr;
  while (g_variant_iter_next(&iterator, "&s", &entry)) host->addItem(entry);
}

void TrayHost::watcherSignal(GDBusConnection*, const char*, const char*, const char*,
                             const char* signal, GVariant* parameters, gpointer self) {
  auto* host = static_cast<TrayHost*>(self);
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(s)"))) return;
  const char* entry = nullptr;
  g_variant_get(parameters, "(&s)", &entry);
  if (g_strcmp0(signal, "StatusNotifierItemRegistered") == 0) host->addItem(entry);
  if (g_strcmp0(signal, "StatusNotifierItemUnregistered") == 0) host->removeItem(entry);
}

void TrayHost::addItem(const std::string& entry) {
  if (items.contains(entry)) return;
  // Entries come from another process; GIO refuses malformed names and paths.
  const ItemAddress address = splitItemEntry(entry);
  if (!g_dbus_is_name(address.service.c_str()) || !g_variant_is_object_path(address.path.c_str())) {
    printEscapedLine(stderr, "tray-view: ignoring the malformed item entry " + entry);
    return;
  }
  items.emplace(entry, std::make_unique<ItemReader>(connection.get(), entry,
                                                    static_cast<ItemReader::Listener&>(*this)));
}

void TrayHost::removeItem(std::string entry) {
  // entry is a copy: the caller's string may belong to the reader erased here.
  const auto found = items.find(entry);
  if (found == items.end()) return;
  const std::string name = found->second->name();
  items.erase(found);
  observer.itemGone(entry, name);
}

void TrayHost::itemRead(const std::string& entry, const ItemSnapshot& snapshot) {
  const auto found = items.find(entry);
  if (found != items.end()) observer.itemChanged(entry, *found->second, snapshot);
}

void TrayHost::itemVanished(const std::string& entry) { removeItem(entry); }

}  // namespace tools::trayview
