#include "platform/linux/sni_published_properties.h"

#include <mutex>
#include <set>
#include <utility>

namespace platform::linuxdesktop {

namespace {

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

}  // namespace

struct SniPublishedProperties::Shared {
  std::string objectPath;
  std::string interfaceName;
  std::set<std::string, std::less<>> passedOn;
  std::mutex mutex;
  VariantPtr all;
};

SniPublishedProperties::SniPublishedProperties(GDBusConnection* connection, std::string objectPath,
                                               std::string interfaceName,
                                               std::set<std::string, std::less<>> passedOn)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))),
      shared(std::make_shared<Shared>()) {
  shared->objectPath = std::move(objectPath);
  shared->interfaceName = std::move(interfaceName);
  shared->passedOn = std::move(passedOn);
  filterId = g_dbus_connection_add_filter(
      connection, &SniPublishedProperties::filter, new std::shared_ptr<Shared>(shared),
      [](gpointer data) { delete static_cast<std::shared_ptr<Shared>*>(data); });
}

SniPublishedProperties::~SniPublishedProperties() {
  g_dbus_connection_remove_filter(connection.get(), filterId);
}

void SniPublishedProperties::publish(GVariant* all) {
  VariantPtr held{g_variant_ref(all)};
  const std::lock_guard lock(shared->mutex);
  shared->all.swap(held);
}

void SniPublishedProperties::withdraw() {
  VariantPtr dropped;
  const std::lock_guard lock(shared->mutex);
  shared->all.swap(dropped);
}

GDBusMessage* SniPublishedProperties::filter(GDBusConnection* connection, GDBusMessage* message,
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
  if (state.interfaceName != interfaceName) return message;

  VariantPtr all;
  {
    const std::lock_guard lock(state.mutex);
    if (state.all) all.reset(g_variant_ref(state.all.get()));
  }
  if (!all) return message;
  VariantPtr answer;
  if (getAll) {
    answer = std::move(all);
  } else {
    const char* name = nullptr;
    g_variant_get_child(body, 1, "&s", &name);
    if (state.passedOn.contains(name)) return message;
    const VariantPtr properties{g_variant_get_child_value(all.get(), 0)};
    const VariantPtr value{g_variant_lookup_value(properties.get(), name, nullptr)};
    // An unknown or absent property gets its error from the registration.
    if (!value) return message;
    answer.reset(g_variant_ref_sink(g_variant_new("(v)", value.get())));
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

}  // namespace platform::linuxdesktop
