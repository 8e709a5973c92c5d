#include "platform/posix/child_spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

extern char** environ;

namespace platform::posix {

namespace {

struct FileActionsDeleter {
  void operator()(posix_spawn_file_actions_t* actions) const {
    posix_spawn_file_actions_destroy(actions);
    delete actions;
  }
};
using FileActions = std::unique_ptr<posix_spawn_file_actions_t, FileActionsDeleter>;

struct AttributesDeleter {
  void operator()(posix_spawnattr_t* attributes) const {
    posix_spawnattr_destroy(attributes);
    delete attributes;
  }
};
using Attributes = std::unique_ptr<posix_spawnattr_t, AttributesDeleter>;

FileActions makeFileActions(int standardOutput, int standardError) {
  auto storage = std::make_unique<posix_spawn_file_actions_t>();
  if (posix_spawn_file_actions_init(storage.get()) != 0) return nullptr;
  FileActions actions(storage.release());
  bool ok = posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY,
                                             0) == 0 &&
            posix_spawn_file_actions_adddup2(actions.get(), standardOutput, STDOUT_FILENO) == 0 &&
            posix_spawn_file_actions_adddup2(actions.get(), standardError, STDERR_FILENO) == 0;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // Every descriptor of ours is close-on-exec, but libraries in the same
  // process may open some that are not; this closes those in the child too.
  ok = ok && posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1) == 0;
#endif
  if (!ok) return nullptr;
  return actions;
}

Attributes makeAttributes() {
  auto storage = std::make_unique<posix_spawnattr_t>();
  if (posix_spawnattr_init(storage.get()) != 0) return nullptr;
  Attributes attributes(storage.release());
  // The agent may block or ignore signals (SIGPIPE, say) that the tool
  // must see with their default behaviour.
  sigset_t emptyMask;
  sigemptyset(&emptyMask);
  sigset_t allSignals;
  sigfillset(&allSignals);
  sigdelset(&allSignals, SIGKILL);
  sigdelset(&allSignals, SIGSTOP);
  // A group of its own lets a kill reach whatever the child started itself.
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP;
#if defined(POSIX_SPAWN_CLOEXEC_DEFAULT)
  flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
  const bool ok = posix_spawnattr_setsigmask(attributes.get(), &emptyMask) == 0 &&
                  posix_spawnattr_setsigdefault(attributes.get(), &allSignals) == 0 &&
                  posix_spawnattr_setpgroup(attributes.get(), 0) == 0 &&
                  posix_spawnattr_setflags(attributes.get(), flags) == 0;
  if (!ok) return nullptr;
  return attributes;
}

}  // namespace

void ChildKiller::operator()(pointer child) const {
  ::kill(-child.value, SIGKILL);
  ::kill(child.value, SIGKILL);
  int status = 0;
  while (::waitpid(child.value, &status, 0) < 0 && errno == EINTR) {
  }
}

UniqueChild spawnChild(const std::string& path, const std::vector<std::string>& arguments,
                       int standardOutput, int standardError) {
  const FileActions actions = makeFileActions(standardOutput, standardError);
  const Attributes attributes = makeAttributes();
  if (!actions || !attributes) return nullptr;
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), actions.get(), attributes.get(), argv.data(), environ) != 0) {
    return nullptr;
  }
  return UniqueChild(ChildKiller::pointer(pid));
}

}  // namespace platform::posix
