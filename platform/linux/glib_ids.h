#pragma once

// Move-only owners for the numeric ids GLib and GIO hand out: main-loop
// sources, bus-name ownerships and watches, signal subscriptions, object
// registrations and GObject signal handlers. Each releases its id exactly once
// when destroyed or reset; an id of 0 means "nothing held". Also the
// cancellable that an object's async calls share.

#include <memory>
#include <utility>

#include <gio/gio.h>
#include <glib-object.h>
#include <glib.h>

namespace platform::linuxdesktop {

// An id that is released with a global function (g_source_remove, ...).
template <auto Release>
class GlobalId {
 public:
  GlobalId() = default;
  explicit GlobalId(guint id) : id(id) {}
  GlobalId(GlobalId&& other) noexcept : id(std::exchange(other.id, 0)) {}
  GlobalId& operator=(GlobalId&& other) noexcept {
    if (this != &other) {
      reset();
      id = std::exchange(other.id, 0);
    }
    return *this;
  }
  GlobalId(const GlobalId&) = delete;
  GlobalId& operator=(const GlobalId&) = delete;
  ~GlobalId() { reset(); }

  void reset() {
    if (const guint held = std::exchange(id, 0); held != 0) Release(held);
  }
  // Forgets the id without releasing it: for a source that removes itself by
  // returning G_SOURCE_REMOVE.
  void release() { id = 0; }
  explicit operator bool() const { return id != 0; }
  guint get() const { return id; }

 private:
  guint id = 0;
};

// An id that belongs to an object (a connection, a GObject instance) and is
// released through it. The owner is referenced for as long as the id is held.
template <class Owner, auto Release>
class OwnedId {
 public:
  OwnedId() = default;
  OwnedId(Owner* owner, gulong id)
      : owner(owner ? static_cast<Owner*>(g_object_ref(owner)) : nullptr), id(id) {}
  OwnedId(OwnedId&& other) noexcept
      : owner(std::exchange(other.owner, nullptr)), id(std::exchange(other.id, 0)) {}
  OwnedId& operator=(OwnedId&& other) noexcept {
    if (this != &other) {
      reset();
      owner = std::exchange(other.owner, nullptr);
      id = std::exchange(other.id, 0);
    }
    return *this;
  }
  OwnedId(const OwnedId&) = delete;
  OwnedId& operator=(const OwnedId&) = delete;
  ~OwnedId() { reset(); }

  void reset() {
    Owner* const held = std::exchange(owner, nullptr);
    const gulong heldId = std::exchange(id, 0);
    if (held == nullptr) return;
    if (heldId != 0) Release(held, heldId);
    g_object_unref(held);
  }
  explicit operator bool() const { return id != 0; }

 private:
  Owner* owner = nullptr;
  gulong id = 0;
};

inline void removeSource(guint id) { g_source_remove(id); }
inline void unregisterObject(GDBusConnection* connection, gulong id) {
  g_dbus_connection_unregister_object(connection, static_cast<guint>(id));
}
inline void unsubscribeSignal(GDBusConnection* connection, gulong id) {
  g_dbus_connection_signal_unsubscribe(connection, static_cast<guint>(id));
}
inline void disconnectHandler(GObject* instance, gulong id) {
  g_signal_handler_disconnect(instance, id);
}

inline void cancelAndUnref(GCancellable* cancellable) {
  g_cancellable_cancel(cancellable);
  g_object_unref(cancellable);
}

// The cancellable of an object's async calls: cancelled when the object goes,
// so that no callback turns its user data back into a destroyed object.
struct CancelOnDestroy {
  void operator()(GCancellable* cancellable) const {
    if (cancellable) cancelAndUnref(cancellable);
  }
};
using OwnedCancellable = std::unique_ptr<GCancellable, CancelOnDestroy>;

using SourceId = GlobalId<removeSource>;
using BusNameOwnerId = GlobalId<g_bus_unown_name>;
using BusNameWatchId = GlobalId<g_bus_unwatch_name>;
using ObjectRegistrationId = OwnedId<GDBusConnection, unregisterObject>;
using SignalSubscriptionId = OwnedId<GDBusConnection, unsubscribeSignal>;
using SignalHandlerId = OwnedId<GObject, disconnectHandler>;

}  // namespace platform::linuxdesktop
