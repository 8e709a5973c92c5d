#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;
using LineMatch = std::function<bool(const std::string&)>;

// Whether `program` (a path, or a name looked up in PATH) can be run.
bool installed(const std::string& program);

// A child process leading a process group of its own, its standard output
// read line by line. The destructor ends the whole group (SIGTERM, SIGKILL 3 s later) and
// reaps the child.
class Process {
 public:
  // arguments[0] is a path or a name looked up in PATH; `environment`
  // ("NAME=value") is all the child gets.
  Process(const Strings& arguments, const Strings& environment,
          const std::string& stderrPath = "/dev/null");
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  pid_t id() const { return pid; }
  // Taken just after the fork.
  Clock::time_point startTime() const { return started; }
  // The first line not yet taken that matches, waiting at most `limit`; it
  // and the lines before it are taken. Absent at the limit or once the
  // output has ended without one.
  std::optional<std::string> next(const LineMatch& match, Clock::duration limit);
  // Every line read so far, taken or not.
  const Strings& lines() const { return received; }
  // The exit status (128 + N after signal N), waiting at most `limit`;
  // absent while the child runs.
  std::optional<int> waitForExit(Clock::duration limit);

 private:
  // Reads what the child wrote, waiting until the deadline; false when
  // nothing came or the output had ended.
  bool readMore(Clock::time_point deadline);

  pid_t pid = -1;
  int output = -1;
  Clock::time_point started = Clock::now();
  std::string partial;
  Strings received;
  std::size_t taken = 0;
  std::optional<int> exitCode;
};

}  // namespace test_support
