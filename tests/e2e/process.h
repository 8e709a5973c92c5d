#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/e2e/file_descriptor.h"
#include "tests/e2e/line_reader.h"

namespace e2e {

// "NAME=value" entries: the whole environment a child gets.
using Environment = std::vector<std::string>;

struct Launch {
  explicit Launch(std::vector<std::string> programAndArguments)
      : arguments(std::move(programAndArguments)) {}

  // arguments[0] is the program: a path, or a name looked up in PATH.
  std::vector<std::string> arguments;
  Environment environment;
  // Where standard error goes; /dev/null when empty.
  std::string stderrPath;
  // A pipe to standard input when true, else /dev/null.
  bool withInput = false;
};

// A child process in its own process group, its standard output read line by
// line. The destructor ends the whole group (SIGTERM, then SIGKILL after a
// grace period) and reaps the child, so nothing it started outlives the
// object.
class Process {
 public:
  explicit Process(const Launch& launch);
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool started() const { return pid > 0; }
  pid_t id() const { return pid; }
  LineReader& output() { return stdoutLines; }
  // Just after posix_spawn returned: the child had started by then.
  Clock::time_point startTime() const { return launchTime; }

  // Writes the line and a line feed to the child's input; false when it
  // has none or the pipe is closed.
  bool writeLine(std::string_view line);
  // Sends the signal to the child alone, not its group; nothing once reaped.
  void signal(int number) const;
  // The exit code (128 + the signal number when a signal ended it) once the
  // child has ended, waiting at most `limit`; absent while it still runs.
  std::optional<int> waitForExit(Clock::duration limit);
  bool running() { return !waitForExit(Clock::duration::zero()); }

 private:
  // Waits until the child has ended, without reaping it.
  bool awaitEnd(Clock::duration limit) const;
  void reap();

  pid_t pid = -1;
  FileDescriptor exitWatch;
  FileDescriptor input;
  LineReader stdoutLines;
  std::optional<int> exitCode;
  Clock::time_point launchTime = Clock::now();
};

}  // namespace e2e
