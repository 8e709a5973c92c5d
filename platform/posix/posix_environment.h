#pragma once

#include <optional>
#include <string>

#include "platform/environment.h"

namespace platform::posix {

// The process environment, read with getenv on every call. A name that is
// empty or holds "=" names no variable.
class PosixEnvironment final : public Environment {
 public:
  std::optional<std::string> value(const std::string& name) const override;
};

}  // namespace platform::posix
