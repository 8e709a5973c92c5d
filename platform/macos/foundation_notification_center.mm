#include "platform/macos/foundation_notification_center.h"

#include <utility>
#include <variant>

#include "platform/macos/appkit_conversions.h"

@interface VelmoraNotificationObserver : NSObject
- (instancetype)initWithCallback:
    (std::function<void(const std::optional<platform::UserInfo>&)>)callback;
- (void)notificationArrived:(NSNotification*)notification;
@end

namespace {

platform::UserInfoValue toUserInfoValue(id value) {
  if ([value isKindOfClass:[NSString class]]) {
    return platform::macos::toStdString(static_cast<NSString*>(value));
  }
  if ([value isKindOfClass:[NSNumber class]]) {
    return static_cast<NSNumber*>(value).doubleValue;
  }
  return platform::OtherValue{};
}

std::optional<platform::UserInfo> toUserInfo(NSDictionary* dictionary) {
  if (dictionary == nil) return std::nullopt;
  platform::UserInfo userInfo;
  for (id key in dictionary) {
    if (![key isKindOfClass:[NSString class]]) continue;
    userInfo[platform::macos::toStdString(static_cast<NSString*>(key))] =
        toUserInfoValue(dictionary[key]);
  }
  return userInfo;
}

id toObject(const platform::UserInfoValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    return platform::macos::toNSString(*text);
  }
  if (const auto* number = std::get_if<double>(&value)) return @(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return @(*flag);
  return [NSData data];
}

NSDictionary* toDictionary(const std::optional<platform::UserInfo>& userInfo) {
  if (!userInfo) return nil;
  NSMutableDictionary* dictionary = [NSMutableDictionary dictionary];
  for (const auto& [key, value] : *userInfo) {
    dictionary[platform::macos::toNSString(key)] = toObject(value);
  }
  return dictionary;
}

}  // namespace

@implementation VelmoraNotificationObserver {
  std::function<void(const std::optional<platform::UserInfo>&)> _callback;
}

- (instancetype)initWithCallback:
    (std::function<void(const std::optional<platform::UserInfo>&)>)callback {
  self = [super init];
  if (self != nil) _callback = std::move(callback);
  return self;
}

- (void)notificationArrived:(NSNotification*)notification {
  if (_callback) _callback(toUserInfo([notification userInfo]));
}

@end

namespace platform::macos {

FoundationNotificationCenter::FoundationNotificationCenter()
    : observers([NSMutableDictionary dictionary]) {}

void FoundationNotificationCenter::post(const std::string& name,
                                        const std::optional<platform::UserInfo>& userInfo) {
  [[NSDistributedNotificationCenter defaultCenter] postNotificationName:toNSString(name)
                                                                 object:nil
                                                               userInfo:toDictionary(userInfo)
                                                                options:0];
}

platform::ObserverToken FoundationNotificationCenter::addObserver(
    const std::string& name,
    std::function<void(const std::optional<platform::UserInfo>&)> callback) {
  VelmoraNotificationObserver* observer =
      [[VelmoraNotificationObserver alloc] initWithCallback:std::move(callback)];
  [[NSDistributedNotificationCenter defaultCenter]
             addObserver:observer
                selector:@selector(notificationArrived:)
                    name:toNSString(name)
                  object:nil
      suspensionBehavior:NSNotificationSuspensionBehaviorDeliverImmediately];
  const platform::ObserverToken token = nextToken++;
  observers[@(token)] = observer;
  return token;
}

void FoundationNotificationCenter::removeObserver(platform::ObserverToken token) {
  id observer = observers[@(token)];
  if (observer == nil) return;
  [[NSDistributedNotificationCenter defaultCenter] removeObserver:observer];
  [observers removeObjectForKey:@(token)];
}

}  // namespace platform::macos
