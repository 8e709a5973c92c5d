#include "platform/macos/foundation_clock.h"

#import <Foundation/Foundation.h>

namespace platform::macos {

double FoundationClock::uptimeSeconds() { return [[NSProcessInfo processInfo] systemUptime]; }

double FoundationClock::monotonicSeconds() { return uptimeSeconds(); }

}  // namespace platform::macos
