#pragma once

#include <gio/gio.h>

#include <string>
#include <vector>

#include "tools/tray_view/gio_handles.h"

namespace tools::trayview {

// An org.kde.StatusNotifierWatcher at /StatusNotifierWatcher. It queues for
// the well-known name: it serves as soon as the name is free, and leaves any
// watcher already there in charge until then.
//
// Items are kept as "<bus name><object path>" entries in the order they
// registered; an item or host whose bus name loses its owner is dropped (and
// StatusNotifierItemUnregistered / StatusNotifierHostUnregistered sent).
class StatusNotifierWatcher {
 public:
  explicit StatusNotifierWatcher(GDBusConnection* connection);

  StatusNotifierWatcher(const StatusNotifierWatcher&) = delete;
  StatusNotifierWatcher& operator=(const StatusNotifierWatcher&) = delete;

 private:
  // One watched bus name: an item entry or a host's name.
  struct Registration {
    std::string entry;
    WatchedName watch;
  };

  static void methodCalled(GDBusConnection*, const char* sender, const char*, const char*,
                           const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
  static GVariant* propertyRead(GDBusConnection*, const char*, const char*, const char*,
                                const char* property, GError** error, gpointer self);
  static void nameAcquired(GDBusConnection*, const char* name, gpointer self);
  static void nameVanished(GDBusConnection*, const char* name, gpointer watched);

  void registerItem(const char* sender, const char* serviceOrPath,
                    GDBusMethodInvocation* invocation);
  void registerHost(const char* service, GDBusMethodInvocation* invocation);
  WatchedName watch(const std::string& busName, const std::string& entry, bool host);
  void dropped(const std::string& entry, bool host);
  void emit(const char* signal, GVariant* parameters);

  GObjectPtr<GDBusConnection> connection;
  NodeInfoPtr introspection;
  std::vector<Registration> items;
  std::vector<Registration> hosts;
  ObjectRegistration registration;
  OwnedName ownedName;
};

}  // namespace tools::trayview
