#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ChildOutput {
  int exitStatus = 0;
  std::string standardOutput;
};

class ChildProcessRunner {
 public:
  virtual ~ChildProcessRunner() = default;
  // Runs an executable with the arguments and the caller's environment, and
  // waits for it at most timeLimit. None when it cannot be started, does not
  // exit in time (it is killed and reaped), is ended by a signal, or writes
  // more standard output than the runner keeps. Standard error is discarded.
  virtual std::optional<ChildOutput> run(const std::string& path,
                                         const std::vector<std::string>& arguments,
                                         std::chrono::milliseconds timeLimit) = 0;
};

}  // namespace platform
