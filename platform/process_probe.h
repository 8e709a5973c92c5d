#pragma once

#include <cstdint>

namespace platform {

class ProcessProbe {
 public:
  virtual ~ProcessProbe() = default;
  // The result of kill(pid, 0): 0 when a process with the id exists and may be
  // signalled, non-zero otherwise.
  virtual int probe(std::int32_t pid) = 0;
};

}  // namespace platform
