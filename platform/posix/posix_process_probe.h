#pragma once

#include <cstdint>

#include "platform/process_probe.h"

namespace platform::posix {

// Probes with kill(pid, 0). Process ids below 1 name process groups or every
// process rather than one process, so they are reported as absent (-1)
// without any call.
class PosixProcessProbe final : public ProcessProbe {
 public:
  int probe(std::int32_t pid) override;
};

}  // namespace platform::posix
