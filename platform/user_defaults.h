#pragma once

#include <memory>
#include <string>

namespace platform {

class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  // Picks up what other processes wrote since the last call.
  virtual void synchronize() = 0;
  virtual bool hasObject(const std::string& key) = 0;
  // False for a missing key; other types follow the backend's Boolean rule.
  virtual bool boolForKey(const std::string& key) = 0;
};

class UserDefaultsStore {
 public:
  virtual ~UserDefaultsStore() = default;
  // nullptr when the suite cannot be opened.
  virtual std::unique_ptr<UserDefaults> openSuite(const std::string& name) = 0;
  virtual std::unique_ptr<UserDefaults> standard() = 0;
};

}  // namespace platform
