#include "platform/posix/posix_environment.h"

#include <cstdlib>

namespace platform::posix {

std::optional<std::string> PosixEnvironment::value(const std::string& name) const {
  // getenv("A=B") would match a variable A whose value begins with "B", and a
  // name with a NUL inside would be cut short at it.
  if (name.empty() || name.find_first_of(std::string("=\0", 2)) != std::string::npos) {
    return std::nullopt;
  }
  const char* const found = std::getenv(name.c_str());
  if (found == nullptr) return std::nullopt;
  return std::string(found);
}

}  // namespace platform::posix
