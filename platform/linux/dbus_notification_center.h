#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <gio/gio.h>

#include "platform/linux/glib_handles.h"
#include "platform/linux/glib_ids.h"
#include "platform/notification_center.h"

namespace platform::linuxdesktop {

// Distributed notifications as broadcast signals on the session bus (the
// mapping is in notification_wire.h). A name that does not map to valid D-Bus
// names is never sent and never received.
class DbusNotificationCenter : public platform::DistributedNotificationCenter {
 public:
  // The connection is referenced for the life of the centre.
  explicit DbusNotificationCenter(GDBusConnection* connection);

  void post(const std::string& name, const std::optional<platform::UserInfo>& userInfo) override;
  // Matches interface and member from any sender on any object path. Tokens
  // count from 1 and are never reused.
  platform::ObserverToken addObserver(
      const std::string& name,
      std::function<void(const std::optional<platform::UserInfo>&)> callback) override;
  // Unknown tokens are ignored.
  void removeObserver(platform::ObserverToken token) override;

 private:
  struct Observer {
    std::function<void(const std::optional<platform::UserInfo>&)> callback;
    SignalSubscriptionId subscription;
  };

  static void deliver(GDBusConnection* connection, const gchar* sender, const gchar* path,
                      const gchar* interfaceName, const gchar* member, GVariant* body,
                      gpointer data);

  GObjectPtr<GDBusConnection> connection;
  std::map<platform::ObserverToken, std::unique_ptr<Observer>> observers;
  platform::ObserverToken nextToken = 1;
};

}  // namespace platform::linuxdesktop
