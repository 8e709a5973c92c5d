#include "platform/posix/posix_child_process_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/posix/stand_in_folder.h"

namespace platform::posix {
namespace {

using namespace std::chrono_literals;
using Stopwatch = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kShortLimit = 300ms;
constexpr std::chrono::milliseconds kGenerousLimit = 20s;
// A killed child must be gone well within this much after the limit.
constexpr std::chrono::milliseconds kKillMargin = 1500ms;

std::string repeatedPattern(std::size_t size) {
  const std::string line = "0123456789abcde\n";
  std::string text;
  while (text.size() < size) text += line;
  text.resize(size);
  return text;
}

pid_t pidFromFile(const std::string& path) {
  pid_t pid = -1;
  std::ifstream(path) >> pid;
  return pid;
}

// True once the process is gone or only a zombie waiting for someone else's
// reaping; false while it still runs after a grace period.
bool endsSoon(pid_t pid) {
  const auto giveUp = Stopwatch::now() + kKillMargin;
  do {
    if (::kill(pid, 0) != 0) return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close != std::string::npos && line.compare(close, 3, ") Z") == 0) return true;
    ::usleep(10'000);
  } while (Stopwatch::now() < giveUp);
  return false;
}

class PosixChildProcessRunnerTest : public ::testing::Test {
 protected:
  std::optional<ChildOutput> runScript(const std::string& body,
                                       std::chrono::milliseconds limit = kGenerousLimit,
                                       const std::vector<std::string>& arguments = {}) {
    return runner.run(folder.script("tool", body), arguments, limit);
  }

  testing::StandInFolder folder;
  PosixChildProcessRunner runner;
};

TEST_F(PosixChildProcessRunnerTest, KeepsAMebibyteOfStandardOutputExactly) {
  const auto output = runScript("yes 0123456789abcde | head -c 1048576\n");
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->exitStatus, 0);
  EXPECT_EQ(output->standardOutput, repeatedPattern(1 << 20));
}

TEST_F(PosixChildProcessRunnerTest, LargeStandardErrorNeitherBlocksNorReachesOurOutput) {
  const std::string captured = folder.file("our-stderr");
  const int saved = ::dup(STDERR_FILENO);
  const int capture = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(capture, 0);
  ::dup2(capture, STDERR_FILENO);
  const auto output =
      runScript("yes 0123456789abcde | head -c 1048576 >&2\necho done\n", kShortLimit * 10);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(capture);
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->exitStatus, 0);
  EXPECT_EQ(output->standardOutput, "done\n");
  EXPECT_EQ(std::filesystem::file_size(captured), 0u);
}

TEST_F(PosixChildProcessRunnerTest, ReportsTheExitStatusWithTheOutput) {
  for (const int status : {0, 1, 3, 255}) {
    const auto output = runScript("echo partial\nexit " + std::to_string(status) + "\n");
    ASSERT_TRUE(output.has_value()) << status;
    EXPECT_EQ(output->exitStatus, status);
    EXPECT_EQ(output->standardOutput, "partial\n");
  }
}

TEST_F(PosixChildProcessRunnerTest, PassesArbitraryBytesThrough) {
  const auto output = runScript("printf '\\377\\376\\000abc\\300'\n");
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, std::string("\xFF\xFE\0abc\xC0", 7));
}

TEST_F(PosixChildProcessRunnerTest, PassesArgumentsVerbatimWithoutAShell) {
  const std::vector<std::string> arguments = {"a b", "$HOME", "*", "'q'", "", "-x"};
  const auto output = runScript("printf '[%s]\\n' \"$@\"\n", kGenerousLimit, arguments);
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, "[a b]\n[$HOME]\n[*]\n['q']\n[]\n[-x]\n");
}

TEST_F(PosixChildProcessRunnerTest, ChildSeesTheCallersEnvironment) {
  ::setenv("VELMORA_RUNNER_PROBE", "from the caller", 1);
  const auto output = runScript("printf %s \"$VELMORA_RUNNER_PROBE\"\n");
  ::unsetenv("VELMORA_RUNNER_PROBE");
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, "from the caller");
}

TEST_F(PosixChildProcessRunnerTest, HungChildIsKilledAndReapedAtTheDeadline) {
  const std::string pidFile = folder.file("pid");
  const auto started = Stopwatch::now();
  const auto output =
      runScript("echo $$ > '" + pidFile + "'\necho early\nexec sleep 30\n", kShortLimit);
  const auto elapsed = Stopwatch::now() - started;
  EXPECT_FALSE(output.has_value());
  EXPECT_GE(elapsed, kShortLimit);
  EXPECT_LT(elapsed, kShortLimit + kKillMargin);
  const pid_t child = pidFromFile(pidFile);
  ASSERT_GT(child, 0);
  // Reaped, not a zombie: no process has the id any more.
  EXPECT_EQ(::kill(child, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

TEST_F(PosixChildProcessRunnerTest, ChildThatClosesItsOutputAndHangsIsKilledAtTheDeadline) {
  const std::string pidFile = folder.file("pid");
  const auto started = Stopwatch::now();
  const auto output =
      runScript("echo $$ > '" + pidFile + "'\nexec >&- 2>&-\nexec sleep 30\n", kShortLimit);
  const auto elapsed = Stopwatch::now() - started;
  EXPECT_FALSE(output.has_value());
  EXPECT_LT(elapsed, kShortLimit + kKillMargin);
  const pid_t child = pidFromFile(pidFile);
  ASSERT_GT(child, 0);
  EXPECT_EQ(::kill(child, 0), -1);
}

TEST_F(PosixChildProcessRunnerTest, WhatTheChildStartedIsKilledWithIt) {
  const std::string pidFile = folder.file("grandchild");
  const auto output = runScript("sleep 30 &\necho $! > '" + pidFile + "'\nwait\n", kShortLimit);
  EXPECT_FALSE(output.has_value());
  const pid_t grandchild = pidFromFile(pidFile);
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(endsSoon(grandchild));
}

TEST_F(PosixChildProcessRunnerTest, QuickChildDoesNotWaitOutTheLimit) {
  const auto started = Stopwatch::now();
  const auto output = runScript("echo quick\n", kGenerousLimit);
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, "quick\n");
  EXPECT_LT(Stopwatch::now() - started, 2s);
}

TEST_F(PosixChildProcessRunnerTest, ExecutableThatCannotBeStartedGivesNone) {
  const std::string plainFile = folder.file("not-executable");
  std::ofstream(plainFile) << "#!/bin/sh\necho should not run\n";
  const std::string cases[] = {folder.file("missing"), plainFile, folder.path.string(), ""};
  for (const std::string& path : cases) {
    EXPECT_FALSE(runner.run(path, {}, kGenerousLimit).has_value()) << path;
  }
}

TEST_F(PosixChildProcessRunnerTest, StandardOutputUpToTheCapIsKeptAndBeyondItGivesNone) {
  constexpr std::size_t cap = PosixChildProcessRunner::kStandardOutputLimit;
  const auto atCap = runScript("head -c " + std::to_string(cap) + " /dev/zero\n");
  ASSERT_TRUE(atCap.has_value());
  EXPECT_EQ(atCap->standardOutput.size(), cap);
  EXPECT_FALSE(runScript("head -c " + std::to_string(cap + 1) + " /dev/zero\n").has_value());
}

TEST_F(PosixChildProcessRunnerTest, EndlessOutputIsCutOffWithoutWaitingForTheLimit) {
  const auto started = Stopwatch::now();
  EXPECT_FALSE(runScript("exec cat /dev/zero\n", kGenerousLimit).has_value());
  EXPECT_LT(Stopwatch::now() - started, 10s);
}

TEST_F(PosixChildProcessRunnerTest, ChildEndedBySignalGivesNone) {
  EXPECT_FALSE(runScript("echo before\nkill -KILL $$\n").has_value());
  EXPECT_FALSE(runScript("kill -TERM $$\n").has_value());
  EXPECT_FALSE(runScript("kill -SEGV $$\n").has_value());
}

TEST_F(PosixChildProcessRunnerTest, ChildInheritsNoOtherDescriptor) {
  // Left without close-on-exec on purpose: the child must not get it anyway.
  const int leaky = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leaky, 0);
  const auto listing = runScript("exec ls /proc/self/fd\n");
  ::close(leaky);
  ASSERT_TRUE(listing.has_value());
  // 3 is the descriptor ls itself opens to read the folder.
  EXPECT_EQ(listing->standardOutput, "0\n1\n2\n3\n");
}

TEST_F(PosixChildProcessRunnerTest, ChildReadsStandardInputFromDevNull) {
  // Our own standard input is a pipe for the while; the child must not see it.
  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  const int saved = ::dup(STDIN_FILENO);
  ::dup2(ends[0], STDIN_FILENO);
  const auto output = runScript("readlink /proc/self/fd/0\ncat\n", kShortLimit * 10);
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  ::close(ends[0]);
  ::close(ends[1]);
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, "/dev/null\n");
}

TEST_F(PosixChildProcessRunnerTest, WorksWhenOurStandardStreamsAreClosed) {
  const std::string tool = folder.script("tool", "echo out\necho err >&2\n");
  const int saved[3] = {::dup(STDIN_FILENO), ::dup(STDOUT_FILENO), ::dup(STDERR_FILENO)};
  for (int fd = 0; fd < 3; ++fd) ::close(fd);
  const auto output = runner.run(tool, {}, kShortLimit * 10);
  for (int fd = 0; fd < 3; ++fd) {
    ::dup2(saved[fd], fd);
    ::close(saved[fd]);
  }
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, "out\n");
}

// A hexadecimal signal mask line of /proc/<pid>/status, such as "SigIgn:".
std::optional<unsigned long long> signalMask(const std::string& status, const std::string& name) {
  const std::size_t at = status.find(name + "\t");
  if (at == std::string::npos) return std::nullopt;
  return std::stoull(status.substr(at + name.size() + 1, 16), nullptr, 16);
}

TEST_F(PosixChildProcessRunnerTest, ChildStartsWithNoBlockedOrIgnoredSignals) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction savedPipe {};
  ::sigaction(SIGPIPE, &ignore, &savedPipe);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  sigset_t savedMask;
  ::sigprocmask(SIG_BLOCK, &blocked, &savedMask);
  const auto output = runScript("exec cat /proc/self/status\n");
  ::sigprocmask(SIG_SETMASK, &savedMask, nullptr);
  ::sigaction(SIGPIPE, &savedPipe, nullptr);
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(signalMask(output->standardOutput, "SigBlk:"), 0u);
  // The C library's own real-time signals (32 and up) are its business; it
  // leaves them ignored in spawned children.
  const auto ignored = signalMask(output->standardOutput, "SigIgn:");
  ASSERT_TRUE(ignored.has_value());
  EXPECT_EQ(*ignored & 0x7FFFFFFFull, 0u) << std::hex << *ignored;
}

extern "C" void countAlarm(int) {}

TEST_F(PosixChildProcessRunnerTest, InterruptedWaitsAreResumed) {
  struct sigaction alarm {};
  alarm.sa_handler = countAlarm;  // no SA_RESTART: blocking calls fail with EINTR
  struct sigaction savedAlarm {};
  ::sigaction(SIGALRM, &alarm, &savedAlarm);
  itimerval every2ms{};
  every2ms.it_interval.tv_usec = 2'000;
  every2ms.it_value.tv_usec = 2'000;
  ::setitimer(ITIMER_REAL, &every2ms, nullptr);
  const auto output = runScript("sleep 0.2\necho done\n");
  const itimerval off{};
  ::setitimer(ITIMER_REAL, &off, nullptr);
  ::sigaction(SIGALRM, &savedAlarm, nullptr);
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(output->standardOutput, "done\n");
}

}  // namespace
}  // namespace platform::posix
