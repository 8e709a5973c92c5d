#include "tools/tray_view/status_notifier_watcher.h"

#include <algorithm>
#include <cstdio>

#include "tools/terminal_text/terminal_text.h"
#include "tools/tray_view/sni_protocol.h"

namespace tools::trayview {
namespace {

constexpr const char* kIntrospection = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <signal name="StatusNotifierHostUnregistered"/>
  </interface>
</node>)";

// What a bus-name watch reports back to: the watcher and the entry it guards.
struct Watched {
  StatusNotifierWatcher* self = nullptr;
  std::string entry;
  bool host = false;
};

void deleteWatched(gpointer data) { delete static_cast<Watched*>(data); }

bool holds(const auto& registrations, const std::string& entry) {
  return std::any_of(registrations.begin(), registrations.end(),
                     [&](const auto& registration) { return registration.entry == entry; });
}

void rejectArgument(GDBusMethodInvocation* invocation, const char* what, const char* value) {
  g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS,
                                        "%s is not a valid %s", value, what);
}

}  // namespace

StatusNotifierWatcher::StatusNotifierWatcher(GDBusConnection* bus)
    : connection(G_DBUS_CONNECTION(g_object_ref(bus))),
      introspection(g_dbus_node_info_new_for_xml(kIntrospection, nullptr)) {
  static const GDBusInterfaceVTable vtable{methodCalled, propertyRead, nullptr, {}};
  const guint id = g_dbus_connection_register_object(connection.get(), kWatcherPath,
                                                     introspection->interfaces[0], &vtable, this,
                                                     nullptr, nullptr);
  registration = ObjectRegistration{connection.get(), id};
  // Without DO_NOT_QUEUE the bus hands over the name when a running watcher
  // leaves; the object is exported before the name so no call finds it missing.
  ownedName = OwnedName{g_bus_own_name_on_connection(connection.get(), kWatcherName,
                                                     G_BUS_NAME_OWNER_FLAGS_NONE, nameAcquired,
                                                     nullptr, this, nullptr)};
}

void StatusNotifierWatcher::nameAcquired(GDBusConnection*, const char* name, gpointer) {
  printEscapedLine(stderr, std::string{"tray-view: serving "} + name);
}

void StatusNotifierWatcher::methodCalled(GDBusConnection*, const char* sender, const char*,
                                         const char*, const char* method, GVariant* parameters,
                                         GDBusMethodInvocation* invocation, gpointer self) {
  auto* watcher = static_cast<StatusNotifierWatcher*>(self);
  // GDBus has already checked the arguments against the introspection data.
  const char* argument = nullptr;
  g_variant_get(parameters, "(&s)", &argument);
  if (g_strcmp0(method, "RegisterStatusNotifierItem") == 0) {
    watcher->registerItem(sender, argument, invocation);
  } else if (g_strcmp0(method, "RegisterStatusNotifierHost") == 0) {
    watcher->registerHost(argument, invocation);
  } else {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD,
                                          "no method %s", method);
  }
}

GVariant* StatusNotifierWatcher::propertyRead(GDBusConnection*, const char*, const char*,
                                              const char*, const char* property, GError** error,
                                              gpointer self) {
  const auto* watcher = static_cast<const StatusNotifierWatcher*>(self);
  if (g_strcmp0(property, "RegisteredStatusNotifierItems") == 0) {
    GVariantBuilder entries;
    g_variant_builder_init(&entries, G_VARIANT_TYPE_STRING_ARRAY);
    for (const auto& item : watcher->items) {
      g_variant_builder_add(&entries, "s", item.entry.c_str());
    }
    return g_variant_builder_end(&entries);
  }
  if (g_strcmp0(property, "IsStatusNotifierHostRegistered") == 0) {
    return g_variant_new_boolean(!watcher->hosts.empty());
  }
  if (g_strcmp0(property, "ProtocolVersion") == 0) return g_variant_new_int32(0);
  g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", property);
  return nullptr;
}

void StatusNotifierWatcher::registerItem(const char* sender, const char* serviceOrPath,
                                         GDBusMethodInvocation* invocation) {
  // The argument is either the item's bus name (object at /StatusNotifierItem)
  // or an object path on the caller's own connection.
  const bool isPath = serviceOrPath[0] == '/';
  if (isPath && !g_variant_is_object_path(serviceOrPath)) {
    return rejectArgument(invocation, "object path", serviceOrPath);
  }
  if (!isPath && !g_dbus_is_name(serviceOrPath)) {
    return rejectArgument(invocation, "bus name", serviceOrPath);
  }
  const std::string service = isPath ? (sender ? sender : "") : serviceOrPath;
  const std::string entry = service + (isPath ? serviceOrPath : kDefaultItemPath);
  g_dbus_method_invocation_return_value(invocation, nullptr);
  if (service.empty() || holds(items, entry)) return;

  items.push_back(Registration{entry, watch(service, entry, false)});
  emit("StatusNotifierItemRegistered", g_variant_new("(s)", entry.c_str()));
}

void StatusNotifierWatcher::registerHost(const char* service, GDBusMethodInvocation* invocation) {
  if (!g_dbus_is_name(service)) return rejectArgument(invocation, "bus name", service);
  g_dbus_method_invocation_return_value(invocation, nullptr);
  if (holds(hosts, service)) return;

  hosts.push_back(Registration{service, watch(service, service, true)});
  emit("StatusNotifierHostRegistered", nullptr);
}

WatchedName StatusNotifierWatcher::watch(const std::string& busName, const std::string& entry,
                                         bool host) {
  // The vanished callback also runs at once when the name has no owner now.
  return WatchedName{g_bus_watch_name_on_connection(
      connection.get(), busName.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr, nameVanished,
      new Watched{this, entry, host}, deleteWatched)};
}

void StatusNotifierWatcher::nameVanished(GDBusConnection*, const char*, gpointer watched) {
  // The entry is copied: dropping the registration ends the watch that owns it.
  const Watched what = *static_cast<const Watched*>(watched);
  what.self->dropped(what.entry, what.host);
}

void StatusNotifierWatcher::dropped(const std::string& entry, bool host) {
  auto& registrations = host ? hosts : items;
  const auto found =
      std::find_if(registrations.begin(), registrations.end(),
                   [&](const auto& registration) { return registration.entry == entry; });
  if (found == registrations.end()) return;
  registrations.erase(found);
  if (host) {
    emit("StatusNotifierHostUnregistered", nullptr);
  } else {
    emit("StatusNotifierItemUnregistered", g_variant_new("(s)", entry.c_str()));
  }
}

void StatusNotifierWatcher::emit(const char* signal, GVariant* parameters) {
  g_dbus_connection_emit_signal(connection.get(), nullptr, kWatcherPath, kWatcherInterface, signal,
                                parameters, nullptr);
}

}  // namespace tools::trayview
