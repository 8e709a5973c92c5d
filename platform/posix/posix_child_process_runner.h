#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"

namespace platform::posix {

// Runs a child with posix_spawn and collects its standard output, reading
// standard output and standard error together so that neither can fill up
// and block the child; standard error is read and dropped. The child's
// standard input is /dev/null and it inherits no other descriptor.
// The time limit runs on the monotonic clock from the call; a child still
// running then is killed (with its process group) and reaped.
class PosixChildProcessRunner final : public ChildProcessRunner {
 public:
  // Standard output beyond this many bytes gives none; the child is killed.
  static constexpr std::size_t kStandardOutputLimit = 8 * 1024 * 1024;

  std::optional<ChildOutput> run(const std::string& path, const std::vector<std::string>& arguments,
                                 std::chrono::milliseconds timeLimit) override;
};

}  // namespace platform::posix
