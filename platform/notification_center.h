#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace platform {

// A user-info value of a type the agents do not read (a date, data, a list).
struct OtherValue {
  bool operator==(const OtherValue&) const = default;
};

using UserInfoValue = std::variant<std::string, double, bool, OtherValue>;
using UserInfo = std::map<std::string, UserInfoValue>;
using ObserverToken = std::uint64_t;

class DistributedNotificationCenter {
 public:
  virtual ~DistributedNotificationCenter() = default;
  // Broadcasts to every observer of the name, in any process. No object.
  virtual void post(const std::string& name, const std::optional<UserInfo>& userInfo) = 0;
  // Observes a name from any sender; the callback runs on the main thread.
  virtual ObserverToken addObserver(
      const std::string& name, std::function<void(const std::optional<UserInfo>&)> callback) = 0;
  virtual void removeObserver(ObserverToken token) = 0;
};

}  // namespace platform
