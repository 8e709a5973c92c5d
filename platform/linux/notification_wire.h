#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <glib.h>

#include "platform/linux/glib_handles.h"
#include "platform/notification_center.h"

namespace platform::linuxdesktop {

// Where a distributed notification travels on the bus. The name splits at its
// last '.': what comes before is the interface, what follows the signal's
// member, and the object path is the interface with every '.' turned into '/'
// ("com.velmora.app.showWindow" -> "/com/velmora/app", "com.velmora.app",
// "showWindow").
struct NotificationSignal {
  std::string objectPath;
  std::string interfaceName;
  std::string member;
};

// None when either part is not a valid D-Bus name (a NUL byte included).
std::optional<NotificationSignal> notificationSignalFor(std::string_view name);

// The signal body for a user info: a tuple holding one a{sv}, the dictionary
// empty when there is no user info. Strings travel as "s", doubles as "d",
// Booleans as "b"; a value of another type as an empty byte array, which a
// receiver reads back as another type.
VariantPtr notificationBody(const std::optional<platform::UserInfo>& userInfo);

// The user info of a received body. An a{sv} body: "s" values are strings,
// "d" and integer values doubles, "b" values Booleans, anything else another
// type; a key given twice keeps its last value. An a{ss} body: all strings.
// Any other body, however malformed, has no user info.
std::optional<platform::UserInfo> userInfoFromBody(GVariant* body);

}  // namespace platform::linuxdesktop
