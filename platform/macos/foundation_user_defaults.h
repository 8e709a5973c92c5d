#pragma once

#import <Foundation/Foundation.h>

#include <memory>
#include <string>

#include "platform/user_defaults.h"

namespace platform::macos {

// One NSUserDefaults object, read only: synchronize, objectForKey:, boolForKey:.
class FoundationUserDefaults final : public platform::UserDefaults {
 public:
  explicit FoundationUserDefaults(NSUserDefaults* defaults);

  void synchronize() override;
  bool hasObject(const std::string& key) override;
  // NSUserDefaults' own rule: a number other than 0, or a string such as
  // "YES" or "true", reads as true.
  bool boolForKey(const std::string& key) override;

 private:
  NSUserDefaults* defaults = nil;
};

// initWithSuiteName: and standardUserDefaults.
class FoundationUserDefaultsStore final : public platform::UserDefaultsStore {
 public:
  std::unique_ptr<platform::UserDefaults> openSuite(const std::string& name) override;
  std::unique_ptr<platform::UserDefaults> standard() override;
};

}  // namespace platform::macos
