#include "platform/macos/foundation_user_defaults.h"

#include "platform/macos/appkit_conversions.h"

namespace platform::macos {

FoundationUserDefaults::FoundationUserDefaults(NSUserDefaults* defaults) : defaults(defaults) {}

void FoundationUserDefaults::synchronize() { [defaults synchronize]; }

bool FoundationUserDefaults::hasObject(const std::string& key) {
  return [defaults objectForKey:toNSString(key)] != nil;
}

bool FoundationUserDefaults::boolForKey(const std::string& key) {
  return [defaults boolForKey:toNSString(key)];
}

std::unique_ptr<platform::UserDefaults> FoundationUserDefaultsStore::openSuite(
    const std::string& name) {
  NSUserDefaults* suite = [[NSUserDefaults alloc] initWithSuiteName:toNSString(name)];
  if (suite == nil) return nullptr;
  return std::make_unique<FoundationUserDefaults>(suite);
}

std::unique_ptr<platform::UserDefaults> FoundationUserDefaultsStore::standard() {
  return std::make_unique<FoundationUserDefaults>([NSUserDefaults standardUserDefaults]);
}

}  // namespace platform::macos
