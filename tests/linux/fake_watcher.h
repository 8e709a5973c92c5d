#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"

namespace platform::linuxdesktop::testing {

// A minimal org.kde.StatusNotifierWatcher on its own connection, standing in
// for a tray host. Like real hosts, it reads an item's menu layout at the
// moment the item registers.
class FakeWatcher {
 public:
  struct Registration {
    std::string service;
    std::string sender;
    // The reply to GetLayout on the sender's /MenuBar, sent on registration;
    // the error name when it failed. Empty until answered.
    VariantPtr menuLayout;
    std::string menuError;
  };

  FakeWatcher();

  // Takes the watcher's well-known name and waits until the bus confirms.
  bool own();
  // Gives the name up; items see the watcher vanish.
  void release();

  GDBusConnection* connection() const { return peer.get(); }
  const std::vector<std::unique_ptr<Registration>>& registrations() const { return registered; }

 private:
  static void methodCall(GDBusConnection* connection, const gchar* sender, const gchar* path,
                         const gchar* interfaceName, const gchar* method, GVariant* parameters,
                         GDBusMethodInvocation* invocation, gpointer data);
  static void layoutRead(GObject* source, GAsyncResult* result, gpointer data);
  static void acquired(GDBusConnection* connection, const gchar* name, gpointer data);

  GObjectPtr<GDBusConnection> peer;
  OwnedCancellable cancellable{g_cancellable_new()};
  std::vector<std::unique_ptr<Registration>> registered;
  bool nameAcquired = false;
  ObjectRegistrationId object;
  BusNameOwnerId name;
};

}  // namespace platform::linuxdesktop::testing
