#pragma once

#include <functional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop {

// Keeps one status item known to the tray: owns the item's bus name and
// registers the item with the StatusNotifierWatcher each time a watcher
// appears on the bus, provided the item is ready then. Without a watcher
// nothing happens until one appears.
class SniWatcherRegistration {
 public:
  static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

  // busName is requested at once; service is what the watcher is given (the
  // bus name, or an object path on this connection). Hosts read the whole
  // item, menu included, when it registers, so registration waits until
  // ready() says everything is in place.
  SniWatcherRegistration(GDBusConnection* connection, std::string busName, std::string service,
                         std::function<bool()> ready);

  // Registers now when the item is ready, owns its name and a watcher is
  // present: after the item became ready, or so that hosts read it again.
  void registerAgain();

 private:
  void registerIfPossible();
  static void nameAcquired(GDBusConnection* connection, const gchar* name, gpointer data);
  static void nameLost(GDBusConnection* connection, const gchar* name, gpointer data);
  static void watcherAppeared(GDBusConnection* connection, const gchar* name, const gchar* owner,
                              gpointer data);
  static void watcherVanished(GDBusConnection* connection, const gchar* name, gpointer data);
  static void registered(GObject* source, GAsyncResult* result, gpointer data);

  GObjectPtr<GDBusConnection> connection;
  std::string service;
  std::function<bool()> ready;
  OwnedCancellable cancellable{g_cancellable_new()};
  bool ownsName = false;
  bool watcherPresent = false;
  // Last, so that they are released first: no name callback can then reach a
  // half-destroyed object.
  BusNameOwnerId ownership;
  BusNameWatchId watch;
};

}  // namespace platform::linuxdesktop
