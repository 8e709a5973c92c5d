#include "platform/linux/sni_dbus_object.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "platform/application.h"

namespace platform::linuxdesktop {

namespace {

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="XAyatanaLabel" type="s" access="read"/>
    <property name="XAyatanaLabelGuide" type="s" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
    <signal name="XAyatanaNewLabel"><arg name="label" type="s"/><arg name="guide" type="s"/></signal>
  </interface>
</node>)xml";

GDBusInterfaceInfo* interfaceInfo() {
  // Parsed once; the text is a constant, so parsing cannot fail.
  static const DBusNodeInfoPtr node{g_dbus_node_info_new_for_xml(kIntrospection, nullptr)};
  return g_dbus_node_info_lookup_interface(node.get(), SniDbusObject::kInterface);
}

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

// The properties GNOME Shell's AppIndicator extension must hold to show an
// item. When it sees the item's bus name appear after GetAll's answer has
// come, it drops them from its copy and, a second later, reads each with Get
// and compares the answer with the copy: against a missing value the
// comparison throws and the host forgets the item. A Get of either is
// therefore answered right after a PropertiesChanged holding the value, which
// puts it back into the host's copy first; no host reads them singly
// otherwise, as they never change while it holds them.
bool announcedWhenRead(std::string_view name) { return name == "Id" || name == "Menu"; }

// The AppKit release type of a click method, 0 for one that is no click.
int releaseTypeOf(const gchar* method) {
  if (std::strcmp(method, "Activate") == 0) return platform::kEventTypeLeftMouseUp;
  if (std::strcmp(method, "ContextMenu") == 0) return platform::kEventTypeRightMouseUp;
  if (std::strcmp(method, "SecondaryActivate") == 0) return platform::kEventTypeOtherMouseUp;
  return 0;
}

}  // namespace

SniDbusObject::SniDbusObject(GDBusConnection* connection, std::string objectPath,
                             Snapshot properties, std::function<void(int eventType)> clicked)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      objectPath(std::move(objectPath)),
      properties(std::move(properties)),
      clicked(std::move(clicked)) {
  // Without get_property GDBus hands Get and GetAll of this interface to
  // methodCall, which answers them from the snapshot: GDBus's own assembly of
  // GetAll costs several times more, and hosts ask for it after every change
  // signal.
  static const GDBusInterfaceVTable vtable = {.method_call = &SniDbusObject::methodCall,
                                              .get_property = nullptr,
                                              .set_property = nullptr,
                                              .padding = {}};
  // Fails only when the path is taken on this connection; the item then stays
  // unseen instead of answering for another.
  const guint id = g_dbus_connection_register_object(
      connection, this->objectPath.c_str(), interfaceInfo(), &vtable, this, nullptr, nullptr);
  registration = ObjectRegistrationId{connection, id};
  shared->objectPath = this->objectPath;
  shared->properties = this->properties;
  filterId = g_dbus_connection_add_filter(
      connection, &SniDbusObject::filter, new std::shared_ptr<Shared>(shared),
      [](gpointer data) { delete static_cast<std::shared_ptr<Shared>*>(data); });
}

SniDbusObject::~SniDbusObject() { g_dbus_connection_remove_filter(connection.get(), filterId); }

GDBusMessage* SniDbusObject::filter(GDBusConnection* connection, GDBusMessage* message,
                                    gboolean incoming, gpointer data) {
  Shared& state = **static_cast<std::shared_ptr<Shared>*>(data);
  if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL ||
      g_strcmp0(g_dbus_message_get_path(message), state.objectPath.c_str()) != 0 ||
      g_strcmp0(g_dbus_message_get_interface(message), kPropertiesInterface) != 0) {
    return message;
  }
  const char* member = g_dbus_message_get_member(message);
  GVariant* body = g_dbus_message_get_body(message);
  const bool getAll = g_strcmp0(member, "GetAll") == 0 && body != nullptr &&
                      g_variant_is_of_type(body, G_VARIANT_TYPE("(s)"));
  const bool get = g_strcmp0(member, "Get") == 0 && body != nullptr &&
                   g_variant_is_of_type(body, G_VARIANT_TYPE("(ss)"));
  if (!getAll && !get) return message;
  const char* interfaceName = nullptr;
  g_variant_get_child(body, 0, "&s", &interfaceName);
  if (g_strcmp0(interfaceName, kInterface) != 0) return message;
  Snapshot properties;
  {
    const std::lock_guard lock(state.mutex);
    properties = state.properties;
  }
  VariantPtr answer;
  if (getAll) {
    answer.reset(g_variant_ref(properties->all()));
  } else {
    const char* name = nullptr;
    g_variant_get_child(body, 1, "&s", &name);
    GVariant* value = announcedWhenRead(name) ? nullptr : properties->value(name);
    // An unknown or undeclared property gets its error from the registration.
    if (value == nullptr) return message;
    answer.reset(g_variant_ref_sink(g_variant_new("(v)", value)));
  }
  if ((g_dbus_message_get_flags(message) & G_DBUS_MESSAGE_FLAGS_NO_REPLY_EXPECTED) == 0) {
    const GObjectPtr<GDBusMessage> reply{g_dbus_message_new_method_reply(message)};
    g_dbus_message_set_body(reply.get(), answer.get());
    g_dbus_connection_send_message(connection, reply.get(), G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr,
                                   nullptr);
  }
  g_object_unref(message);
  return nullptr;
}

void SniDbusObject::publish(const Snapshot& next, const Snapshot& before) {
  properties = next;
  {
    const std::lock_guard lock(shared->mutex);
    shared->properties = next;
  }
  next->announceChangesSince(*before, [this](const char* member, GVariant* parameters) {
    g_dbus_connection_emit_signal(connection.get(), nullptr, objectPath.c_str(), kInterface, member,
                                  parameters, nullptr);
  });
}

void SniDbusObject::methodCall(GDBusConnection*, const gchar*, const gchar*,
                               const gchar* interfaceName, const gchar* method,
                               GVariant* parameters, GDBusMethodInvocation* invocation,
                               gpointer data) {
  auto* self = static_cast<SniDbusObject*>(data);
  if (std::strcmp(interfaceName, kPropertiesInterface) == 0) {
    self->answerProperties(method, parameters, invocation);
    return;
  }
  const int releaseType = releaseTypeOf(method);
  if (releaseType == 0 && std::strcmp(method, "Scroll") != 0) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD,
                                          "No such method: %s", method);
    return;
  }
  // Answer first: the action may end the application, and the reply must
  // already be queued when termination flushes the connection.
  g_dbus_method_invocation_return_value(invocation, nullptr);
  if (releaseType != 0) self->clicked(releaseType);
}

void SniDbusObject::answerProperties(const gchar* method, GVariant* parameters,
                                     GDBusMethodInvocation* invocation) {
  // GDBus has already checked the interface and, for Get, that the property
  // exists and is readable; every property is read-only, so no Set gets here.
  if (std::strcmp(method, "GetAll") == 0) {
    g_dbus_method_invocation_return_value(invocation, properties->all());
    return;
  }
  const gchar* name = nullptr;
  g_variant_get_child(parameters, 1, "&s", &name);
  GVariant* value = std::strcmp(method, "Get") == 0 ? properties->value(name) : nullptr;
  if (value == nullptr) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY,
                                          "No such property: %s", name);
    return;
  }
  if (announcedWhenRead(name)) {
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&changed, "{sv}", name, value);
    g_dbus_connection_emit_signal(
        connection.get(), nullptr, objectPath.c_str(), kPropertiesInterface, "PropertiesChanged",
        g_variant_new("(sa{sv}as)", kInterface, &changed, nullptr), nullptr);
  }
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
}

}  // namespace platform::linuxdesktop
