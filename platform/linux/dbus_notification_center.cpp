#include "platform/linux/dbus_notification_center.h"

#include <utility>

#include "platform/linux/notification_wire.h"

namespace platform::linuxdesktop {

DbusNotificationCenter::DbusNotificationCenter(GDBusConnection* connection)
    : connection(static_cast<GDBusConnection*>(g_object_ref(connection))) {}

void DbusNotificationCenter::post(const std::string& name,
                                  const std::optional<platform::UserInfo>& userInfo) {
  const std::optional<NotificationSignal> address = notificationSignalFor(name);
  if (!address) return;
  const VariantPtr body = notificationBody(userInfo);
  // Nothing to report: posting has no failure the agents could act on.
  g_dbus_connection_emit_signal(connection.get(), nullptr, address->objectPath.c_str(),
                                address->interfaceName.c_str(), address->member.c_str(), body.get(),
                                nullptr);
}

platform::ObserverToken DbusNotificationCenter::addObserver(
    const std::string& name,
    std::function<void(const std::optional<platform::UserInfo>&)> callback) {
  const platform::ObserverToken token = nextToken++;
  auto observer = std::make_unique<Observer>();
  observer->callback = std::move(callback);
  if (const std::optional<NotificationSignal> address = notificationSignalFor(name)) {
    const guint id = g_dbus_connection_signal_subscribe(
        connection.get(), nullptr, address->interfaceName.c_str(), address->member.c_str(), nullptr,
        nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &DbusNotificationCenter::deliver, observer.get(),
        nullptr);
    observer->subscription = SignalSubscriptionId{connection.get(), id};
  }
  observers.emplace(token, std::move(observer));
  return token;
}

void DbusNotificationCenter::removeObserver(platform::ObserverToken token) {
  observers.erase(token);
}

void DbusNotificationCenter::deliver(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                     const gchar*, GVariant* body, gpointer data) {
  // GDBus drops deliveries for a subscription that is gone, so the observer
  // is alive here. The callback is copied because it may remove its observer.
  const auto callback = static_cast<Observer*>(data)->callback;
  if (callback) callback(userInfoFromBody(body));
}

}  // namespace platform::linuxdesktop
