#include "tests/linux/fake_watcher.h"

#include <cstring>

#include "tests/linux/main_loop.h"
#include "tests/linux/private_session_bus.h"

namespace platform::linuxdesktop::testing {

namespace {

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
</node>)xml";

}  // namespace

FakeWatcher::FakeWatcher() : peer(connectPeer()) {
  static const DBusNodeInfoPtr node{g_dbus_node_info_new_for_xml(kIntrospection, nullptr)};
  static const GDBusInterfaceVTable vtable = {.method_call = &FakeWatcher::methodCall,
                                              .get_property = nullptr,
                                              .set_property = nullptr,
                                              .padding = {}};
  const guint id = g_dbus_connection_register_object(
      peer.get(), "/StatusNotifierWatcher", node->interfaces[0], &vtable, this, nullptr, nullptr);
  object = ObjectRegistrationId{peer.get(), id};
}

bool FakeWatcher::own() {
  nameAcquired = false;
  name = BusNameOwnerId{g_bus_own_name_on_connection(
      peer.get(), "org.kde.StatusNotifierWatcher", G_BUS_NAME_OWNER_FLAGS_NONE,
      &FakeWatcher::acquired, nullptr, this, nullptr)};
  return spinUntil([this] { return nameAcquired; });
}

void FakeWatcher::release() { name.reset(); }

void FakeWatcher::methodCall(GDBusConnection* connection, const gchar* sender, const gchar*,
                             const gchar*, const gchar* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer data) {
  auto* self = static_cast<FakeWatcher*>(data);
  if (std::strcmp(method, "RegisterStatusNotifierItem") == 0) {
    auto registration = std::make_unique<Registration>();
    const gchar* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    registration->service = service;
    registration->sender = sender;
    g_dbus_connection_call(connection, sender, "/MenuBar", "com.canonical.dbusmenu", "GetLayout",
                           g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)), nullptr,
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, 4000, self->cancellable.get(),
                           &FakeWatcher::layoutRead, registration.get());
    self->registered.push_back(std::move(registration));
  }
  g_dbus_method_invocation_return_value(invocation, nullptr);
}

void FakeWatcher::layoutRead(GObject* source, GAsyncResult* result, gpointer data) {
  GError* error = nullptr;
  VariantPtr layout{g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)};
  const ErrorPtr owned{error};
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  auto* registration = static_cast<Registration*>(data);
  registration->menuLayout = std::move(layout);
  if (error != nullptr) {
    const GCharPtr remote{g_dbus_error_get_remote_error(error)};
    registration->menuError = remote ? remote.get() : error->message;
  }
}

void FakeWatcher::acquired(GDBusConnection*, const gchar*, gpointer data) {
  static_cast<FakeWatcher*>(data)->nameAcquired = true;
}

}  // namespace platform::linuxdesktop::testing
