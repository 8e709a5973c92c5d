#include "platform/linux/notification_wire.h"

#include <algorithm>

#include <gio/gio.h>

#include "platform/linux/dbus_strings.h"

namespace platform::linuxdesktop {

namespace {

GVariant* stringVariant(const std::string& text) {
  return g_variant_new_string(validUtf8(text).c_str());
}

GVariant* valueVariant(const platform::UserInfoValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return stringVariant(*text);
  if (const auto* number = std::get_if<double>(&value)) return g_variant_new_double(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return g_variant_new_boolean(*flag);
  return g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, nullptr, 0, 1);
}

std::optional<double> integerValue(GVariant* value) {
  const GVariantClass kind = g_variant_classify(value);
  switch (kind) {
    case G_VARIANT_CLASS_BYTE:
      return g_variant_get_byte(value);
    case G_VARIANT_CLASS_INT16:
      return g_variant_get_int16(value);
    case G_VARIANT_CLASS_UINT16:
      return g_variant_get_uint16(value);
    case G_VARIANT_CLASS_INT32:
      return g_variant_get_int32(value);
    case G_VARIANT_CLASS_UINT32:
      return g_variant_get_uint32(value);
    case G_VARIANT_CLASS_INT64:
      return static_cast<double>(g_variant_get_int64(value));
    case G_VARIANT_CLASS_UINT64:
      return static_cast<double>(g_variant_get_uint64(value));
    default:
      return std::nullopt;
  }
}

platform::UserInfoValue userInfoValue(GVariant* value) {
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
    return std::string{g_variant_get_string(value, nullptr)};
  }
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_DOUBLE)) return g_variant_get_double(value);
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)) {
    return static_cast<bool>(g_variant_get_boolean(value));
  }
  if (const std::optional<double> number = integerValue(value)) return *number;
  return platform::OtherValue{};
}

platform::UserInfo readDictionary(GVariant* dictionary, bool valuesAreVariants) {
  platform::UserInfo userInfo;
  const gsize count = g_variant_n_children(dictionary);
  for (gsize i = 0; i < count; ++i) {
    const VariantPtr entry{g_variant_get_child_value(dictionary, i)};
    const VariantPtr key{g_variant_get_child_value(entry.get(), 0)};
    VariantPtr value{g_variant_get_child_value(entry.get(), 1)};
    if (valuesAreVariants) value.reset(g_variant_get_variant(value.get()));
    userInfo.insert_or_assign(std::string{g_variant_get_string(key.get(), nullptr)},
                              userInfoValue(value.get()));
  }
  return userInfo;
}

}  // namespace

std::optional<NotificationSignal> notificationSignalFor(std::string_view name) {
  // GLib reads names up to a NUL byte: one inside would name another signal.
  if (name.find('\0') != std::string_view::npos) return std::nullopt;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  NotificationSignal address;
  address.interfaceName = std::string{name.substr(0, dot)};
  address.member = std::string{name.substr(dot + 1)};
  if (!g_dbus_is_interface_name(address.interfaceName.c_str()) ||
      !g_dbus_is_member_name(address.member.c_str())) {
    return std::nullopt;
  }
  address.objectPath = "/" + address.interfaceName;
  std::replace(address.objectPath.begin(), address.objectPath.end(), '.', '/');
  if (!g_variant_is_object_path(address.objectPath.c_str())) return std::nullopt;
  return address;
}

VariantPtr notificationBody(const std::optional<platform::UserInfo>& userInfo) {
  GVariantBuilder dictionary;
  g_variant_builder_init(&dictionary, G_VARIANT_TYPE_VARDICT);
  if (userInfo) {
    for (const auto& [key, value] : *userInfo) {
      g_variant_builder_add(&dictionary, "{@sv}", stringVariant(key), valueVariant(value));
    }
  }
  GVariant* fields[] = {g_variant_builder_end(&dictionary)};
  return VariantPtr{g_variant_ref_sink(g_variant_new_tuple(fields, 1))};
}

std::optional<platform::UserInfo> userInfoFromBody(GVariant* body) {
  if (body == nullptr) return std::nullopt;
  if (g_variant_is_of_type(body, G_VARIANT_TYPE("(a{sv})"))) {
    const VariantPtr dictionary{g_variant_get_child_value(body, 0)};
    return readDictionary(dictionary.get(), true);
  }
  if (g_variant_is_of_type(body, G_VARIANT_TYPE("(a{ss})"))) {
    const VariantPtr dictionary{g_variant_get_child_value(body, 0)};
    return readDictionary(dictionary.get(), false);
  }
  return std::nullopt;
}

}  // namespace platform::linuxdesktop
