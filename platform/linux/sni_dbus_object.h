#pragma once

#include <functional>
#include <memory>
#include <mutex>
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
//
// Hosts read every property again after each change signal, often twice for
// one change, so those reads are answered on GDBus's own thread, from the
// same snapshot, by a filter on the connection: it costs the main thread no
// wakeup and GDBus's thread no hand-over of the reply (bench/peers measured
// the agent at about 1.15 times its cost without it). The filter answers
// only Get and GetAll of this object's own interface on its path; anything
// else, and a property that must be announced when read, goes on to the
// registration on the main thread.
class SniDbusObject {
 public:
  static constexpr const char* kInterface = "org.kde.StatusNotifierItem";
  using Snapshot = std::shared_ptr<const SniItemProperties>;

  // Registers at objectPath with the first snapshot. clicked gets a host's
  // click as the AppKit type of the mouse release (platform::kEventType...),
  // after the host's call has been answered.
  SniDbusObject(GDBusConnection* connection, std::string objectPath, Snapshot properties,
                std::function<void(int eventType)> clicked);
  ~SniDbusObject();
  SniDbusObject(const SniDbusObject&) = delete;
  SniDbusObject& operator=(const SniDbusObject&) = delete;

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

  // What the filter reads, shared with it: it may run on GDBus's thread until
  // its own reference is dropped after removal.
  struct Shared {
    std::string objectPath;
    std::mutex mutex;
    Snapshot properties;
  };
  static GDBusMessage* filter(GDBusConnection* connection, GDBusMessage* message, gboolean incoming,
                              gpointer data);

  GObjectPtr<GDBusConnection> connection;
  std::string objectPath;
  Snapshot properties;
  std::function<void(int)> clicked;
  ObjectRegistrationId registration;
  std::shared_ptr<Shared> shared = std::make_shared<Shared>();
  guint filterId = 0;
};

}  // namespace platform::linuxdesktop
