#include "platform/posix/posix_child_process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/posix/child_spawn.h"
#include "platform/posix/unique_handle.h"

namespace platform::posix {

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// Limits beyond a day count as a day, which keeps the arithmetic far from overflow.
constexpr milliseconds kLongestTimeLimit = std::chrono::hours(24);
constexpr std::size_t kReadChunkSize = 64 * 1024;
constexpr int kLongestExitPollMilliseconds = 10;

class Deadline {
 public:
  explicit Deadline(milliseconds limit)
      : end(now() + std::clamp(limit, milliseconds(0), kLongestTimeLimit)) {}

  // Rounded up, so that a wait of this length always reaches the deadline.
  int remainingMilliseconds() const {
    const nanoseconds left = end - now();
    if (left <= nanoseconds(0)) return 0;
    return static_cast<int>(std::chrono::ceil<milliseconds>(left).count());
  }

 private:
  static nanoseconds now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return std::chrono::seconds(time.tv_sec) + nanoseconds(time.tv_nsec);
  }

  nanoseconds end{};
};

struct Pipe {
  UniqueFd readEnd;
  UniqueFd writeEnd;
};

// The child's streams are set up by dup2 onto 0, 1 and 2. A pipe end that
// already sits there (the agent was started with a closed standard stream)
// would be duplicated onto itself, which on some systems keeps its
// close-on-exec flag, and the child would start without that stream.
UniqueFd aboveStandardStreams(UniqueFd fd) {
  if (!fd || fd.get().value > STDERR_FILENO) return fd;
  return adoptFd(::fcntl(fd.get().value, F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
}

std::optional<Pipe> makePipe() {
  int ends[2] = {-1, -1};
#if defined(__APPLE__)
  if (::pipe(ends) != 0) return std::nullopt;
  ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
#else
  if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
#endif
  Pipe pipe{aboveStandardStreams(adoptFd(ends[0])), aboveStandardStreams(adoptFd(ends[1]))};
  if (!pipe.readEnd || !pipe.writeEnd) return std::nullopt;
  return pipe;
}

enum class ReadResult { data, endOfFile };

// One read from a descriptor that poll reported ready.
ReadResult readOnce(int fd, std::array<char, kReadChunkSize>& buffer, std::size_t& count) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got > 0) {
      count = static_cast<std::size_t>(got);
      return ReadResult::data;
    }
    // A read error ends the stream as the end of the file would.
    if (got == 0 || errno != EINTR) return ReadResult::endOfFile;
  }
}

// Reads both pipes until both are closed. None when the deadline passes or
// standard output grows beyond the limit.
std::optional<std::string> drainOutputs(int standardOutput, int standardError,
                                        const Deadline& deadline) {
  std::string kept;
  std::array<char, kReadChunkSize> buffer{};
  std::array<pollfd, 2> streams{pollfd{standardOutput, POLLIN, 0},
                                pollfd{standardError, POLLIN, 0}};
  while (streams[0].fd >= 0 || streams[1].fd >= 0) {
    const int timeout = deadline.remainingMilliseconds();
    if (timeout == 0) return std::nullopt;
    const int ready = ::poll(streams.data(), streams.size(), timeout);
    if (ready < 0 && errno != EINTR) return std::nullopt;
    if (ready <= 0) continue;
    for (pollfd& stream : streams) {
      if (stream.fd < 0 || stream.revents == 0) continue;
      std::size_t count = 0;
      if (readOnce(stream.fd, buffer, count) == ReadResult::endOfFile) {
        stream.fd = -1;  // poll skips negative descriptors
      } else if (stream.fd == standardOutput) {
        if (count > PosixChildProcessRunner::kStandardOutputLimit - kept.size()) {
          return std::nullopt;
        }
        kept.append(buffer.data(), count);
      }
    }
  }
  return kept;
}

// Waits for the child to end after it closed its output. Its exit status, or
// none when it ends by a signal, cannot be waited for, or outlives the deadline.
std::optional<int> waitForExit(UniqueChild& child, const Deadline& deadline) {
  int pause = 1;
  for (;;) {
    int status = 0;
    const pid_t waited = ::waitpid(child.get().value, &status, WNOHANG);
    if (waited == child.get().value) {
      child.release();
      if (!WIFEXITED(status)) return std::nullopt;
      return WEXITSTATUS(status);
    }
    if (waited < 0 && errno != EINTR) {
      // Reaped elsewhere (SIGCHLD ignored, say): the pid may already be reused.
      child.release();
      return std::nullopt;
    }
    const int remaining = deadline.remainingMilliseconds();
    if (remaining == 0) return std::nullopt;
    ::poll(nullptr, 0, std::min(pause, remaining));
    pause = std::min(pause * 2, kLongestExitPollMilliseconds);
  }
}

}  // namespace

std::optional<ChildOutput> PosixChildProcessRunner::run(const std::string& path,
                                                        const std::vector<std::string>& arguments,
                                                        milliseconds timeLimit) {
  const Deadline deadline(timeLimit);
  std::optional<Pipe> output = makePipe();
  std::optional<Pipe> errors = makePipe();
  if (!output || !errors) return std::nullopt;
  UniqueChild child =
      spawnChild(path, arguments, output->writeEnd.get().value, errors->writeEnd.get().value);
  if (!child) return std::nullopt;
  // Only the child may hold the write ends, or the pipes would never report
  // their end.
  output->writeEnd.reset();
  errors->writeEnd.reset();
  // Every early return below leaves the child to UniqueChild, which kills
  // and reaps it.
  std::optional<std::string> standardOutput =
      drainOutputs(output->readEnd.get().value, errors->readEnd.get().value, deadline);
  if (!standardOutput) return std::nullopt;
  const std::optional<int> exitStatus = waitForExit(child, deadline);
  if (!exitStatus) return std::nullopt;
  return ChildOutput{.exitStatus = *exitStatus, .standardOutput = std::move(*standardOutput)};
}

}  // namespace platform::posix
