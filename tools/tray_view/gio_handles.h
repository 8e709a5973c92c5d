#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

// Single owners for the GLib and GIO resources the developer tools hold.
// Every handle is move-only and releases what it holds when it goes away.
namespace tools {

template <auto Free>
struct Deleter {
  template <class T>
  void operator()(T* p) const {
    if (p) Free(p);
  }
};

using ErrorPtr = std::unique_ptr<GError, Deleter<g_error_free>>;
using VariantPtr = std::unique_ptr<GVariant, Deleter<g_variant_unref>>;
using MainLoopPtr = std::unique_ptr<GMainLoop, Deleter<g_main_loop_unref>>;
using KeyFilePtr = std::unique_ptr<GKeyFile, Deleter<g_key_file_free>>;
using NodeInfoPtr = std::unique_ptr<GDBusNodeInfo, Deleter<g_dbus_node_info_unref>>;
using CharPtr = std::unique_ptr<char, Deleter<g_free>>;
using StrvPtr = std::unique_ptr<char*, Deleter<g_strfreev>>;
template <class T>
using GObjectPtr = std::unique_ptr<T, Deleter<g_object_unref>>;

// A cancellable that is cancelled when its owner goes away, so that the
// callback of a call still in flight sees G_IO_ERROR_CANCELLED and leaves the
// owner alone.
struct CancelAndUnref {
  void operator()(GCancellable* cancellable) const {
    g_cancellable_cancel(cancellable);
    g_object_unref(cancellable);
  }
};
using OwnedCancellable = std::unique_ptr<GCancellable, CancelAndUnref>;

// A GLib id that is released by a call taking the id alone: main-loop
// sources (g_source_remove), owned bus names (g_bus_unown_name) and watched
// bus names (g_bus_unwatch_name). An id of 0 holds nothing.
template <auto Release>
class GlibId {
 public:
  GlibId() = default;
  explicit GlibId(guint id) : held(id != 0 ? new guint{id} : nullptr) {}

  guint get() const { return held ? *held : 0; }

 private:
  struct Free {
    void operator()(guint* id) const {
      Release(*id);
      delete id;
    }
  };
  std::unique_ptr<guint, Free> held;
};

using SourceId = GlibId<g_source_remove>;
using OwnedName = GlibId<g_bus_unown_name>;
using WatchedName = GlibId<g_bus_unwatch_name>;

// An id that belongs to one connection: a signal subscription
// (g_dbus_connection_signal_unsubscribe) or an exported object
// (g_dbus_connection_unregister_object). Keeps the connection alive.
template <auto Release>
class ConnectionId {
 public:
  ConnectionId() = default;
  ConnectionId(GDBusConnection* connection, guint id)
      : held(id != 0 ? new Held{GObjectPtr<GDBusConnection>{
                                    G_DBUS_CONNECTION(g_object_ref(connection))},
                                id}
                     : nullptr) {}

 private:
  struct Held {
    GObjectPtr<GDBusConnection> connection;
    guint id = 0;
  };
  struct Free {
    void operator()(Held* held) const {
      Release(held->connection.get(), held->id);
      delete held;
    }
  };
  std::unique_ptr<Held, Free> held;
};

using SignalSubscription = ConnectionId<g_dbus_connection_signal_unsubscribe>;
using ObjectRegistration = ConnectionId<g_dbus_connection_unregister_object>;

// The message of an error, or "unknown error" when there is none.
inline std::string errorText(const ErrorPtr& error) {
  return error ? std::string{error->message} : std::string{"unknown error"};
}

}  // namespace tools
