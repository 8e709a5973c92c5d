#include "tests/e2e/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <cerrno>

namespace e2e {
namespace {

// How long the group has after SIGTERM before SIGKILL.
constexpr auto kStopGrace = std::chrono::seconds{3};

struct Pipe {
  FileDescriptor readEnd;
  FileDescriptor writeEnd;
};

Pipe makePipe() {
  int ends[2] = {-1, -1};
  if (pipe2(ends, O_CLOEXEC) != 0) return {};
  return {FileDescriptor{ends[0]}, FileDescriptor{ends[1]}};
}

std::vector<char*> pointersTo(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const auto& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// The child starts with the default disposition for every signal the test
// program or its runner may have changed, an empty signal mask, and a
// process group of its own.
struct SpawnAttributes {
  SpawnAttributes() {
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int number : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD, SIGQUIT}) {
      sigaddset(&defaults, number);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
  posix_spawnattr_t attributes;
};

struct FileActions {
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
  posix_spawn_file_actions_t actions;
};

}  // namespace

Process::Process(const Launch& launch) {
  if (launch.arguments.empty()) return;
  Pipe output = makePipe();
  Pipe standardInput = launch.withInput ? makePipe() : Pipe{};
  if (!output.writeEnd || (launch.withInput && !standardInput.readEnd)) return;

  FileActions files;
  if (launch.withInput) {
    posix_spawn_file_actions_adddup2(&files.actions, standardInput.readEnd.get(), 0);
  } else {
    posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&files.actions, output.writeEnd.get(), 1);
  const std::string errorPath = launch.stderrPath.empty() ? "/dev/null" : launch.stderrPath;
  posix_spawn_file_actions_addopen(&files.actions, 2, errorPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);

  const SpawnAttributes attributes;
  const auto argv = pointersTo(launch.arguments);
  const auto envp = pointersTo(launch.environment);
  pid_t child = -1;
  if (posix_spawnp(&child, argv[0], &files.actions, &attributes.attributes, argv.data(),
                   envp.data()) != 0) {
    return;
  }
  pid = child;
  launchTime = Clock::now();
  // Through syscall(): glibc 2.36's <sys/pidfd.h> lacks C linkage for C++.
  exitWatch = FileDescriptor{static_cast<int>(syscall(SYS_pidfd_open, pid, 0))};
  stdoutLines = LineReader{std::move(output.readEnd)};
  input = std::move(standardInput.writeEnd);
}

Process::~Process() {
  if (pid <= 0 || exitCode) return;
  // The leader's children (an activated D-Bus service, a panel's plugins)
  // share its group, so the group goes with it. SIGTERM first lets the bus
  // and the X server remove their sockets. The leader stays unreaped until
  // the end: while it is a zombie its id cannot name someone else's group.
  kill(-pid, SIGTERM);
  awaitEnd(kStopGrace);
  kill(-pid, SIGKILL);
  reap();
}

bool Process::awaitEnd(Clock::duration limit) const {
  const auto deadline = Clock::now() + limit;
  while (true) {
    siginfo_t info{};
    // WNOWAIT: only look; the child stays to be reaped.
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid) {
      return true;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    if (exitWatch) {
      pollfd ready{exitWatch.get(), POLLIN, 0};
      poll(&ready, 1, static_cast<int>(left.count()));
    } else {
      // Without pidfd (kernels before 5.3) a short poll interval stands in.
      poll(nullptr, 0, std::min(5, static_cast<int>(left.count())));
    }
  }
}

bool Process::writeLine(std::string_view line) {
  if (!input) return false;
  std::string text{line};
  text += '\n';
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(input.get(), text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<std::size_t>(count);
  }
  return true;
}

void Process::signal(int number) const {
  if (pid > 0 && !exitCode) kill(pid, number);
}

std::optional<int> Process::waitForExit(Clock::duration limit) {
  if (pid <= 0 || exitCode) return exitCode;
  if (!awaitEnd(limit)) return std::nullopt;
  reap();
  return exitCode;
}

void Process::reap() {
  int status = 0;
  pid_t result = -1;
  do {
    result = waitpid(pid, &status, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    exitCode = -1;
  } else if (WIFEXITED(status)) {
    exitCode = WEXITSTATUS(status);
  } else {
    exitCode = 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  }
  exitWatch.reset();
  input.reset();
}

}  // namespace e2e
