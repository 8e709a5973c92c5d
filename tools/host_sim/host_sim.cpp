#include "tools/host_sim/host_sim.h"

#include <glib-unix.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

#include "agent_common/host_contract.h"
#include "tools/host_sim/host_log.h"

namespace tools::hostsim {

HostSim::HostSim(std::unique_ptr<HostBus> hostBus, std::optional<DefaultsWriter> defaults)
    : bus(std::move(hostBus)), defaultsWriter(std::move(defaults)) {}

int HostSim::run(const std::vector<std::string>& agentPaths) {
  for (const auto& path : agentPaths) launcher.start(path);

  // NVAL is watched too: with stdin closed, the read below fails and ends
  // the input instead of leaving host-sim waiting forever.
  const auto condition = static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL);
  inputWatch = SourceId{g_unix_fd_add(STDIN_FILENO, condition, inputReady, this)};
  interruptWatch = SourceId{g_unix_signal_add(SIGINT, stopRequested, this)};
  terminateWatch = SourceId{g_unix_signal_add(SIGTERM, stopRequested, this)};

  g_main_loop_run(loop.get());
  bus->flush();
  return 0;
}

gboolean HostSim::inputReady(gint, GIOCondition, gpointer self) {
  static_cast<HostSim*>(self)->readInput();
  return G_SOURCE_CONTINUE;
}

gboolean HostSim::stopRequested(gpointer self) {
  static_cast<HostSim*>(self)->finish();
  return G_SOURCE_CONTINUE;
}

void HostSim::readInput() {
  if (finished) return;
  char buffer[4096];
  // One read per wake-up: poll said there is data (or an end), so it cannot
  // block, and a partial line waits in pendingInput for the rest.
  const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (count > 0) pendingInput.append(buffer, static_cast<std::size_t>(count));

  std::size_t end = 0;
  while (!finished && (end = pendingInput.find('\n')) != std::string::npos) {
    const std::string line = pendingInput.substr(0, end);
    pendingInput.erase(0, end + 1);
    handleLine(line);
  }
  if (count > 0 || finished) return;

  // End of input: a last line without a line feed still counts.
  if (!pendingInput.empty()) handleLine(std::exchange(pendingInput, {}));
  finish();
}

void HostSim::handleLine(const std::string& line) {
  const ParsedLine parsed = parseHostCommand(line);
  if (!parsed.command) {
    if (!parsed.error.empty()) printHostError(parsed.error);
    return;
  }
  std::string echo = line;
  if (!echo.empty() && echo.back() == '\r') echo.pop_back();
  printHostLine(echo);
  perform(*parsed.command);
}

void HostSim::perform(const HostCommand& command) {
  switch (command.kind) {
    case HostCommand::Kind::kShowMemory:
      return setOption(agent::kShowMemoryKey.data(), command.on);
    case HostCommand::Kind::kShowCPU:
      return setOption(agent::kShowCPUKey.data(), command.on);
    case HostCommand::Kind::kShowGPU:
      return setOption(agent::kShowGPUKey.data(), command.on);
    case HostCommand::Kind::kAwake:
    case HostCommand::Kind::kAsleep: {
      const bool active = command.kind == HostCommand::Kind::kAwake;
      if (const auto error = bus->postSleepState(active, command.status)) printHostError(*error);
      return;
    }
    case HostCommand::Kind::kQuit:
      return finish();
  }
}

void HostSim::setOption(std::string_view key, bool on) {
  if (!defaultsWriter) {
    printHostError("neither XDG_CONFIG_HOME nor HOME is set: no defaults suite to write");
    return;
  }
  if (const auto error = defaultsWriter->setBool(key, on)) printHostError(*error);
}

void HostSim::finish() {
  finished = true;
  g_main_loop_quit(loop.get());
}

}  // namespace tools::hostsim
