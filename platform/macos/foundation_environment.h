#pragma once

#include <optional>
#include <string>

#include "platform/environment.h"

namespace platform::macos {

// The environment as NSProcessInfo holds it.
class FoundationEnvironment final : public platform::Environment {
 public:
  std::optional<std::string> value(const std::string& name) const override;
};

}  // namespace platform::macos
