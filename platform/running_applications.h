#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// Activation option that brings an application forward even while another is active.
inline constexpr unsigned kActivateIgnoringOtherApps = 2;

class RunningApplication {
 public:
  virtual ~RunningApplication() = default;
  virtual void activate(unsigned options) = 0;
};

class RunningApplications {
 public:
  virtual ~RunningApplications() = default;
  // nullptr when no running application has the process id.
  virtual std::unique_ptr<RunningApplication> find(std::int32_t pid) = 0;
};

}  // namespace platform
