#include "tools/tray_view/item_reader.h"

#include <cstdio>
#include <utility>
#include "tools/terminal_text/terminal_text.h"

namespace tools::trayview {

ItemReader::ItemReader(GDBusConnection* bus, std::string entry, Listener& itemListener)
    : connection(G_DBUS_CONNECTION(g_object_ref(bus))),
      itemEntry(std::move(entry)),
      itemAddress(splitItemEntry(itemEntry)),
      listener(itemListener) {
  const guint subscription = g_dbus_connection_signal_subscribe(
      connection.get(), itemAddress.service.c_str(), kItemInterface, nullptr,
      itemAddress.path.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE, signalReceived, this, nullptr);
  itemSignals = SignalSubscription{connection.get(), subscription};
  owner = WatchedName{g_bus_watch_name_on_connection(connection.get(), itemAddress.service.c_str(),
                                                     G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
                                                     nameVanished, this, nullptr)};
  readProperties();
}

std::string ItemReader::name() const {
  return latest && !latest->id.empty() ? latest->id : itemAddress.service;
}

void ItemReader::signalReceived(GDBusConnection*, const char*, const char*, const char*,
                                const char* signal, GVariant*, gpointer self) {
  if (g_str_has_prefix(signal, "New")) static_cast<ItemReader*>(self)->readProperties();
}

void ItemReader::nameVanished(GDBusConnection*, const char*, gpointer self) {
  auto* reader = static_cast<ItemReader*>(self);
  reader->listener.itemVanished(reader->itemEntry);
}

void ItemReader::readProperties() {
  // Signals that come while a read is in flight fold into one more read.
  if (reading) {
    readAgain = true;
    return;
  }
  reading = true;
  g_dbus_connection_call(connection.get(), itemAddress.service.c_str(), itemAddress.path.c_str(),
                         kPropertiesInterface, "GetAll", g_variant_new("(s)", kItemInterface),
                         G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                         kCallTimeoutMilliseconds, cancellable.get(), propertiesRead, this);
}

void ItemReader::propertiesRead(GObject* source, GAsyncResult* result, gpointer self) {
  GError* callError = nullptr;
  const VariantPtr reply{
      g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &callError)};
  const ErrorPtr error{callError};
  if (g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;

  auto* reader = static_cast<ItemReader*>(self);
  reader->reading = false;
  if (std::exchange(reader->readAgain, false)) reader->readProperties();
  if (!reply) {
    // An item that has left is reported by the name watch instead.
    const bool gone = g_error_matches(error.get(), G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
                      g_error_matches(error.get(), G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
    if (!gone) {
      printEscapedLine(stderr,
                       "tray-view: cannot read " + reader->itemEntry + ": " + errorText(error));
    }
    return;
  }
  const VariantPtr properties{g_variant_get_child_value(reply.get(), 0)};
  reader->latest = readItemSnapshot(properties.get());
  reader->listener.itemRead(reader->itemEntry, *reader->latest);
}

}  // namespace tools::trayview
