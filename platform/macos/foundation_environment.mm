#include "platform/macos/foundation_environment.h"

#import <Foundation/Foundation.h>

#include "platform/macos/appkit_conversions.h"

namespace platform::macos {

std::optional<std::string> FoundationEnvironment::value(const std::string& name) const {
  NSString* found = [[[NSProcessInfo processInfo] environment] objectForKey:toNSString(name)];
  if (found == nil) return std::nullopt;
  return toStdString(found);
}

}  // namespace platform::macos
