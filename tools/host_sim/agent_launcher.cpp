#include "tools/host_sim/agent_launcher.h"

#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>

#include "agent_common/host_contract.h"
#include "tools/host_sim/host_log.h"
#include "tools/tray_view/gio_handles.h"

namespace tools::hostsim {
namespace {

// What the child watch needs to name the agent when it ends.
struct StartedAgent {
  std::string name;
};

void deleteStartedAgent(gpointer data) { delete static_cast<StartedAgent*>(data); }

std::string exitDescription(int waitStatus) {
  if (WIFEXITED(waitStatus)) return "exited with status " + std::to_string(WEXITSTATUS(waitStatus));
  if (WIFSIGNALED(waitStatus)) return "killed by signal " + std::to_string(WTERMSIG(waitStatus));
  return "ended (wait status " + std::to_string(waitStatus) + ")";
}

void agentEnded(GPid pid, gint waitStatus, gpointer data) {
  const auto* agent = static_cast<const StartedAgent*>(data);
  printHostLine(agent->name + " (pid " + std::to_string(pid) + ") " + exitDescription(waitStatus));
  g_spawn_close_pid(pid);
}

}  // namespace

bool AgentLauncher::start(const std::string& path) const {
  const std::string variable{agent::kParentPidVariable};
  const std::string hostPid = std::to_string(getpid());
  const StrvPtr environment{
      g_environ_setenv(g_get_environ(), variable.c_str(), hostPid.c_str(), TRUE)};

  std::string program = path;
  char* arguments[] = {program.data(), nullptr};
  GPid pid = 0;
  GError* spawnError = nullptr;
  // DO_NOT_REAP_CHILD keeps the agent a direct child, so its pid is real and
  // the child watch below can reap it.
  const bool started =
      g_spawn_async(nullptr, arguments, environment.get(), G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                    nullptr, &pid, &spawnError);
  const ErrorPtr error{spawnError};
  if (!started) {
    printHostError("cannot start " + path + ": " + errorText(error));
    return false;
  }

  const CharPtr name{g_path_get_basename(path.c_str())};
  auto* agent = new StartedAgent{name.get()};
  // The source removes itself once the child has ended and been reaped.
  g_child_watch_add_full(G_PRIORITY_DEFAULT, pid, agentEnded, agent, deleteStartedAgent);
  printHostLine("started " + agent->name + " (pid " + std::to_string(pid) + ")");
  return true;
}

}  // namespace tools::hostsim
