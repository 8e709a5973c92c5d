#include "tools/tray_view/tray_client.h"

#include <utility>

namespace tools::trayview {

std::unique_ptr<TrayClient> TrayClient::connect(std::string& error) {
  GObjectPtr<GDBusConnection> bus = connectSessionBus(error);
  if (!bus) return nullptr;
  return std::make_unique<TrayClient>(std::move(bus));
}

TrayClient::TrayClient(GObjectPtr<GDBusConnection> sessionBus)
    : connection(std::move(sessionBus)) {}

VariantPtr TrayClient::call(const ItemAddress& address, const char* interface, const char* method,
                            GVariant* parameters, const GVariantType* replyType,
                            std::string& error) const {
  GError* callError = nullptr;
  VariantPtr reply{g_dbus_connection_call_sync(connection.get(), address.service.c_str(),
                                               address.path.c_str(), interface, method, parameters,
                                               replyType, G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                               kCallTimeoutMilliseconds, nullptr, &callError)};
  const ErrorPtr owned{callError};
  if (!reply) {
    if (owned) g_dbus_error_strip_remote_error(owned.get());
    error = std::string{method} + " on " + address.service + address.path + ": " + errorText(owned);
  }
  return reply;
}

std::optional<std::vector<std::string>> TrayClient::registeredItems(std::string& error) const {
  const ItemAddress watcher{kWatcherName, kWatcherPath};
  const VariantPtr reply =
      call(watcher, kPropertiesInterface, "Get",
           g_variant_new("(ss)", kWatcherInterface, "RegisteredStatusNotifierItems"),
           G_VARIANT_TYPE("(v)"), error);
  if (!reply) {
    error = "no StatusNotifierWatcher answers: " + error;
    return std::nullopt;
  }
  const VariantPtr boxed{g_variant_get_child_value(reply.get(), 0)};
  const VariantPtr entries{g_variant_get_variant(boxed.get())};
  if (!g_variant_is_of_type(entries.get(), G_VARIANT_TYPE_STRING_ARRAY)) {
    error = "the watcher's RegisteredStatusNotifierItems is not a list of strings";
    return std::nullopt;
  }
  std::vector<std::string> result;
  GVariantIter iterator;
  g_variant_iter_init(&iterator, entries.get());
  const char* entry = nullptr;
  while (g_variant_iter_next(&iterator, "&s", &entry)) result.emplace_back(entry);
  return result;
}

std::optional<ItemSnapshot> TrayClient::readItem(const ItemAddress& address,
                                                 std::string& error) const {
  if (!g_dbus_is_name(address.service.c_str()) || !g_variant_is_object_path(address.path.c_str())) {
    error = "malformed item entry " + address.service + address.path;
    return std::nullopt;
  }
  const VariantPtr reply =
      call(address, kPropertiesInterface, "GetAll", g_variant_new("(s)", kItemInterface),
           G_VARIANT_TYPE("(a{sv})"), error);
  if (!reply) return std::nullopt;
  const VariantPtr properties{g_variant_get_child_value(reply.get(), 0)};
  return readItemSnapshot(properties.get());
}

std::optional<FoundItem> TrayClient::findItem(std::string_view item, std::string& error) const {
  const auto entries = registeredItems(error);
  if (!entries) return std::nullopt;
  std::vector<FoundItem> matches;
  for (const auto& entry : *entries) {
    const ItemAddress address = splitItemEntry(entry);
    std::string unreadable;
    auto snapshot = readItem(address, unreadable);
    if (!snapshot) continue;
    if (snapshot->id == item || address.service == item || entry == item) {
      matches.push_back(FoundItem{entry, address, std::move(*snapshot)});
    }
  }
  if (matches.size() == 1) return std::move(matches.front());
  if (matches.empty()) {
    error = "no item " + std::string{item};
  } else {
    error = std::to_string(matches.size()) + " items match " + std::string{item} +
            "; name one by its bus name (" + matches.front().address.service + ", ...)";
  }
  return std::nullopt;
}

}  // namespace tools::trayview
