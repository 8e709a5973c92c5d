#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/posix/unique_handle.h"

namespace platform::posix {

// Kills a child's whole process group with SIGKILL and reaps the child, so
// that a child given up on never lingers, neither running nor as a zombie.
struct ChildKiller {
  using pointer = HandleValue<pid_t, -1>;
  void operator()(pointer child) const;
};

// A running child that has not been reaped yet. Release it once reaped.
using UniqueChild = std::unique_ptr<pid_t, ChildKiller>;

// Starts the executable at path directly (no shell, no search of PATH) with
// the arguments after argv[0] = path and the caller's environment. Its
// standard output and standard error go to the two descriptors, its standard
// input reads /dev/null, and it inherits no other descriptor. It starts with
// an empty signal mask and default signal actions, in a process group of its
// own. Null when it cannot be started.
UniqueChild spawnChild(const std::string& path, const std::vector<std::string>& arguments,
                       int standardOutput, int standardError);

}  // namespace platform::posix
