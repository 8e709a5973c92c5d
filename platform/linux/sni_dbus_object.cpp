#include "platform/linux/sni_dbus_object.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "platform/application.h"
#include "platform/linux/variant_bytes.h"

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
const std::set<std::string, std::less<>> kAnnouncedWhenRead = {"Id", "Menu"};

// A full reference to a full or floating one; null stays null.
GVariant* takeRef(GVariant* value) {
  return value == nullptr ? nullptr : g_variant_take_ref(value);
}

// The AppKit release type of a click method, 0 for one that is no click.
int releaseTypeOf(const gchar* method) {
  if (std::strcmp(method, "Activate") == 0) return platform::kEventTypeLeftMouseUp;
  if (std::strcmp(method, "ContextMenu") == 0) return platform::kEventTypeRightMouseUp;
  if (std::strcmp(method, "SecondaryActivate") == 0) return platform::kEventTypeOtherMouseUp;
  return 0;
}

}  // namespace

SniDbusObject::SniDbusObject(GDBusConnection* connection, std::string objectPath,
                             SniObjectHandler& handler)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      objectPath(std::move(objectPath)),
      handler(handler),
      published(connection, this->objectPath, kInterface, kAnnouncedWhenRead) {
  // Without get_property GDBus hands Get and GetAll to methodCall, which
  // builds GetAll's answer directly: GDBus's own assembly of it costs several
  // times more, and hosts ask for it after every change signal.
  static const GDBusInterfaceVTable vtable = {.method_call = &SniDbusObject::methodCall,
                                              .get_property = nullptr,
                                              .set_property = nullptr,
                                              .padding = {}};
  // Fails only when the path is taken on this connection; the item then stays
  // unseen instead of answering for another.
  const guint id = g_dbus_connection_register_object(
      connection, this->objectPath.c_str(), interfaceInfo(), &vtable, this, nullptr, nullptr);
  registration = ObjectRegistrationId{connection, id};
}

void SniDbusObject::emit(const char* member, GVariant* parameters) {
  g_dbus_connection_emit_signal(connection.get(), nullptr, objectPath.c_str(), kInterface, member,
                                parameters, nullptr);
}

void SniDbusObject::publishProperties() {
  if (publishedIsCurrent) return;
  published.publish(allProperties());
  publishedIsCurrent = true;
}

void SniDbusObject::withdrawProperties() {
  published.withdraw();
  publishedIsCurrent = false;
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
  if (releaseType != 0) self->handler.clicked(releaseType);
}

void SniDbusObject::answerProperties(const gchar* method, GVariant* parameters,
                                     GDBusMethodInvocation* invocation) {
  // GDBus has already checked the interface and, for Get, that the property
  // exists and is readable; every property is read-only, so no Set gets here.
  if (std::strcmp(method, "GetAll") == 0) {
    // The answer holds the current values: the next reads can be answered
    // from it until something changes.
    GVariant* all = allProperties();
    published.publish(all);
    publishedIsCurrent = true;
    g_dbus_method_invocation_return_value(invocation, all);
    return;
  }
  const gchar* name = nullptr;
  g_variant_get_child(parameters, 1, "&s", &name);
  const VariantPtr value{std::strcmp(method, "Get") == 0 ? takeRef(handler.property(name))
                                                         : nullptr};
  if (!value) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY,
                                          "No such property: %s", name);
    return;
  }
  if (kAnnouncedWhenRead.contains(name)) {
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&changed, "{sv}", name, value.get());
    g_dbus_connection_emit_signal(
        connection.get(), nullptr, objectPath.c_str(), kPropertiesInterface, "PropertiesChanged",
        g_variant_new("(sa{sv}as)", kInterface, &changed, nullptr), nullptr);
  }
  g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value.get()));
}

GVariant* SniDbusObject::allProperties() {
  const GDBusInterfaceInfo* info = interfaceInfo();
  std::vector<VariantPtr> values;
  for (GDBusPropertyInfo** property = info->properties; *property != nullptr; ++property) {
    values.emplace_back(takeRef(handler.property((*property)->name)));
  }
  // Hosts read everything again after each change signal, often twice for
  // one change: an answer is built only when some value differs.
  const bool unchanged =
      answer &&
      std::equal(values.begin(), values.end(), answeredValues.begin(), answeredValues.end(),
                 [](const auto& a, const auto& b) { return sameBytes(a.get(), b.get()); });
  if (unchanged) return answer.get();
  std::vector<GVariant*> entries;
  for (std::size_t index = 0; index < values.size(); ++index) {
    // A property without a value is left out, as GDBus would.
    if (!values[index]) continue;
    entries.push_back(g_variant_new_dict_entry(g_variant_new_string(info->properties[index]->name),
                                               g_variant_new_variant(values[index].get())));
  }
  GVariant* all = g_variant_new_array(G_VARIANT_TYPE("{sv}"), entries.data(), entries.size());
  answer.reset(g_variant_ref_sink(g_variant_new_tuple(&all, 1)));
  answeredValues = std::move(values);
  return answer.get();
}

}  // namespace platform::linuxdesktop
