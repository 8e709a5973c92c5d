#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop {

// Answers Get and GetAll of one object's interface on GDBus's own thread from
// a published copy of all its properties. Hosts read every property again
// after each change signal, often twice for one change; answered there, a read
// costs no wakeup of the main thread and no hand-over of the reply back to
// GDBus's thread. With nothing published, or for anything else (another
// interface, a property the copy lacks or one named in passedOn), the call
// goes on to the object's registration as usual.
//
// The owner publishes whenever its properties are known to be current and
// withdraws the copy as soon as any of them may have changed, so that no host
// ever reads a value older than a change it was told of.
class SniPublishedProperties {
 public:
  SniPublishedProperties(GDBusConnection* connection, std::string objectPath,
                         std::string interfaceName,
                         std::set<std::string, std::less<>> passedOn = {});
  ~SniPublishedProperties();
  SniPublishedProperties(const SniPublishedProperties&) = delete;
  SniPublishedProperties& operator=(const SniPublishedProperties&) = delete;

  // all is GetAll's answer, an (a{sv}); a reference is taken.
  void publish(GVariant* all);
  void withdraw();

 private:
  struct Shared;

  static GDBusMessage* filter(GDBusConnection* connection, GDBusMessage* message, gboolean incoming,
                              gpointer data);

  GObjectPtr<GDBusConnection> connection;
  // Shared with the filter, which may run on GDBus's thread until the filter's
  // own reference is dropped after removal.
  std::shared_ptr<Shared> shared;
  guint filterId = 0;
};

}  // namespace platform::linuxdesktop
