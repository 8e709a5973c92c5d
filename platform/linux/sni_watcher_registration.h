#pragma once

#include <functional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop {

// Keeps one status item known to the tray: asks for the item's bus name and
// registers the item with the StatusNotifierWatcher each time a watcher
// appears on the bus, provided the item is ready then, and again when the
// watcher announces the item unregistered while it lives (GNOME's extension
// drops an item whose first reading failed). Without a watcher nothing
// happens until one appears.
//
// A bus name another connection holds (an agent with the same process id in
// another pid namespace) is not waited for: an item that would have been
// registered by that name is registered by the connection's unique name,
// which watchers accept as well. Nothing here waits for the bus: the name is
// asked for and given back without blocking, so ending the process never
// waits on a frozen or flooded bus (the bus frees the name anyway when the
// connection closes).
class SniWatcherRegistration {
 public:
  static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

  // busName is requested at once; service is what the watcher is given (the
  // bus name, or an object path on this connection). Hosts read the whole
  // item, menu included, when it registers, so registration waits until
  // ready() says everything is in place.
  SniWatcherRegistration(GDBusConnection* connection, std::string busName, std::string service,
                         std::function<bool()> ready);
  ~SniWatcherRegistration();
  SniWatcherRegistration(const SniWatcherRegistration&) = delete;
  SniWatcherRegistration& operator=(const SniWatcherRegistration&) = delete;

  // Registers now when the item is ready, its name is settled and a watcher
  // is present: after the item became ready, or so that hosts read it again.
  void registerAgain();

  // What the watcher is given: the service passed in, or the connection's
  // unique name in place of a bus name that could not be had.
  const std::string& registeredService() const { return service; }

 private:
  // The first re-registration after the watcher dropped the item waits this
  // long; each one that follows within a minute waits twice as long as the
  // one before, up to a minute, so that a watcher that keeps refusing costs
  // little.
  static constexpr guint kFirstRetryMilliseconds = 100;
  static constexpr guint kLongestRetryMilliseconds = 60'000;

  void registerIfPossible();
  static void nameRequested(GObject* source, GAsyncResult* result, gpointer data);
  static void watcherAppeared(GDBusConnection* connection, const gchar* name, const gchar* owner,
                              gpointer data);
  static void watcherVanished(GDBusConnection* connection, const gchar* name, gpointer data);
  static void itemUnregistered(GDBusConnection* connection, const gchar* sender, const gchar* path,
                               const gchar* interfaceName, const gchar* signal,
                               GVariant* parameters, gpointer data);
  static gboolean retry(gpointer data);
  static void registered(GObject* source, GAsyncResult* result, gpointer data);
  // Whether a watcher's entry (a bus name, or a unique name followed by an
  // object path) names this item.
  bool namesThisItem(const std::string& entry) const;

  GObjectPtr<GDBusConnection> connection;
  std::string busName;
  std::string service;
  std::function<bool()> ready;
  OwnedCancellable cancellable{g_cancellable_new()};
  bool nameSettled = false;
  bool ownsName = false;
  bool watcherPresent = false;
  guint retryMilliseconds = 0;
  gint64 lastDropped = 0;
  SourceId retrySource;
  // Last, so that they are released first: no callback can then reach a
  // half-destroyed object.
  BusNameWatchId watch;
  SignalSubscriptionId dropped;
};

}  // namespace platform::linuxdesktop
