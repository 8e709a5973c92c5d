#pragma once

#import <AppKit/AppKit.h>

#include <cstdint>
#include <memory>

#include "platform/running_applications.h"

namespace platform::macos {

// NSRunningApplication: runningApplicationWithProcessIdentifier: and
// activateWithOptions:.
class AppKitRunningApplications final : public platform::RunningApplications {
 public:
  std::unique_ptr<platform::RunningApplication> find(std::int32_t pid) override;
};

}  // namespace platform::macos
