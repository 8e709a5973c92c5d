#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/linux/sni_published_properties.h"

namespace platform::linuxdesktop {

// What the exported object asks of the status item behind it.
class SniObjectHandler {
 public:
  virtual ~SniObjectHandler() = default;
  // The current value of one of the interface's properties (a full or
  // floating reference); null for a name the interface does not have.
  virtual GVariant* property(std::string_view name) = 0;
  // A click reported by a host, as the AppKit type of the mouse release
  // (platform::kEventType...). Runs after the host's call has been answered.
  virtual void clicked(int eventType) = 0;
};

// The org.kde.StatusNotifierItem object of one item on a connection, with its
// properties. Every method call is answered: the four methods with an empty reply (Scroll is
// accepted and ignored), anything else with an error naming what was rejected.
class SniDbusObject {
 public:
  static constexpr const char* kInterface = "org.kde.StatusNotifierItem";

  // Registers at objectPath; the handler is borrowed and must outlive the object.
  SniDbusObject(GDBusConnection* connection, std::string objectPath, SniObjectHandler& handler);

  // Emits one of the interface's signals from this object. parameters may be
  // null or floating.
  void emit(const char* member, GVariant* parameters);
  // Lets GDBus's thread answer property reads with the current values, or
  // stops it: see SniPublishedProperties. Publish only when every value the
  // handler gives is current, withdraw as soon as one may have changed.
  void publishProperties();
  void withdrawProperties();
  bool isRegistered() const { return static_cast<bool>(registration); }
  const std::string& path() const { return objectPath; }

 private:
  static void methodCall(GDBusConnection* connection, const gchar* sender, const gchar* path,
                         const gchar* interfaceName, const gchar* method, GVariant* parameters,
                         GDBusMethodInvocation* invocation, gpointer data);
  // Get and GetAll of the properties interface; every property is read-only.
  void answerProperties(const gchar* method, GVariant* parameters,
                        GDBusMethodInvocation* invocation);
  // GetAll's answer, an (a{sv}) borrowed until the next call.
  GVariant* allProperties();

  GObjectPtr<GDBusConnection> connection;
  std::string objectPath;
  SniObjectHandler& handler;
  ObjectRegistrationId registration;
  SniPublishedProperties published;
  // Whether nothing was withdrawn since the last publication.
  bool publishedIsCurrent = false;
  // The last GetAll answer and the values it holds, in the interface's order
  // of properties (null for one left out).
  VariantPtr answer;
  std::vector<VariantPtr> answeredValues;
};

}  // namespace platform::linuxdesktop
