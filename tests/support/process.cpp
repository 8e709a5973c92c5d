#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace test_support {
namespace {

std::vector<char*> pointersTo(const Strings& texts) {
  std::vector<char*> pointers;
  for (const auto& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

bool installed(const std::string& program) {
  return std::system(("command -v '" + program + "' >/dev/null 2>&1").c_str()) == 0;
}

Process::Process(const Strings& arguments, const Strings& environment,
                 const std::string& stderrPath) {
  int out[2] = {-1, -1};
  if (arguments.empty() || pipe2(out, O_CLOEXEC) != 0) return;
  const auto argv = pointersTo(arguments);
  const auto envp = pointersTo(environment);
  pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    dup2(out[1], 1);
    dup2(open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  // Also here: the group must exist before the destructor may signal it.
  if (pid > 0) setpgid(pid, pid);
  close(out[1]);
  output = out[0];
}

Process::~Process() {
  if (pid > 0 && !exitCode) {
    // The group goes too: a bus's activated services, a panel's plugins.
    // SIGTERM first lets the bus and the X server remove their sockets.
    kill(-pid, SIGTERM);
    waitForExit(3s);
    kill(-pid, SIGKILL);
    waitForExit(10s);
  }
  close(output);
}

std::optional<std::string> Process::next(const LineMatch& match, Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  for (std::size_t index = taken;; ++index) {
    while (index == received.size()) {
      if (!readMore(deadline)) return std::nullopt;
    }
    if (match(received[index])) {
      taken = index + 1;
      return received[index];
    }
  }
}

bool Process::readMore(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  pollfd ready{output, POLLIN, 0};
  if (output < 0 || left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t count = read(output, buffer, sizeof buffer);
  if (count > 0) {
    partial.append(buffer, static_cast<std::size_t>(count));
  } else if (close(std::exchange(output, -1)) == 0 && !partial.empty()) {
    // The output has ended: an unterminated last line counts.
    partial += '\n';
  }
  for (auto end = partial.find('\n'); end != std::string::npos; end = partial.find('\n')) {
    received.push_back(partial.substr(0, end));
    partial.erase(0, end + 1);
  }
  return true;
}

std::optional<int> Process::waitForExit(Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  int status = 0;
  while (pid > 0 && !exitCode) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (Clock::now() >= deadline) {
      break;
    } else {
      // A short poll: exit times are measured to about this precision.
      poll(nullptr, 0, 5);
    }
  }
  return exitCode;
}

}  // namespace test_support
