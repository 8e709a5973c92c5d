#pragma once

#include <optional>
#include <string>

namespace platform {

class Environment {
 public:
  virtual ~Environment() = default;
  // The variable's value exactly as set (names are case-sensitive), or none.
  virtual std::optional<std::string> value(const std::string& name) const = 0;
};

}  // namespace platform
