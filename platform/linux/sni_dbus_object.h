#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/sni_item_properties.h"

namespace platform::linuxdesktop {

// The org.kde.StatusNotifierItem object of one item on a connection. Get and
// GetAll of its interface are answered from the snapshot of its properties
// last published; every method call is answered: the four methods with an
// empty reply (Scroll is accepted and ignored), anything else with an error
// naming what was rejected.
class SniDbusObject {
 public:
  static constexpr const char* kInterface = "org.kde.StatusNotifierItem";
  using Snapshot = std::shared_ptr<const SniItemProperties>;

  // Registers at objectPath with the first snapshot. clicked gets a host's
  // click as the AppKit type of the mouse release (platform::kEventType...),
  // after the host's call has been answered.
  SniDbusObject(GDBusConnection* connection, std::string objectPath, Snapshot properties,
                std::function<void(int eventType)> clicked);

  // Answers from `next` from now on and tells hosts what changed since
  // `before` (see SniItemProperties::announceChangesSince).
  void publish(const Snapshot& next, const Snapshot& before);
  bool isRegistered() const { return static_cast<bool>(registration); }
  const std::string& path() const { return objectPath; }

 private:
  static void methodCall(GDBusConnection* connection, const gchar* sender, const gchar* path,
                         const gchar* interfaceName, const gchar* method, GVariant* parameters,
                         GDBusMethodInvocation* invocation, gpointer data);
  // Get and GetAll of the properties interface; every property is read-only.
  void answerProperties(const gchar* method, GVariant* parameters,
                        GDBusMethodInvocation* invocation);

  GObjectPtr<GDBusConnection> connection;
  std::string objectPath;
  Snapshot properties;
  std::function<void(int)> clicked;
  ObjectRegistrationId registration;
};

}  // namespace platform::linuxdesktop
