#pragma once

#import <Foundation/Foundation.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/notification_center.h"

namespace platform::macos {

// The default NSDistributedNotificationCenter. Posts carry no object and
// options 0. Observers are registered for any sender with delivery even
// while the application is not active: an accessory agent almost never is,
// and the default behaviour would hold its notifications back until then.
class FoundationNotificationCenter final : public platform::DistributedNotificationCenter {
 public:
  FoundationNotificationCenter();

  void post(const std::string& name, const std::optional<platform::UserInfo>& userInfo) override;
  // Strings arrive as strings and numbers (Booleans included) as numbers;
  // entries with other keys or values than these are kept as other values or
  // dropped (a key that is not a string).
  platform::ObserverToken addObserver(
      const std::string& name,
      std::function<void(const std::optional<platform::UserInfo>&)> callback) override;
  // Drops every registration of the observer (removeObserver:).
  void removeObserver(platform::ObserverToken token) override;

 private:
  // Observer objects by token; the center does not retain its observers.
  NSMutableDictionary<NSNumber*, id>* observers = nil;
  platform::ObserverToken nextToken = 1;
};

}  // namespace platform::macos
