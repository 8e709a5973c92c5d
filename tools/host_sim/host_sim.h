#pragma once

#include <glib.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/host_sim/agent_launcher.h"
#include "tools/host_sim/defaults_writer.h"
#include "tools/host_sim/host_bus.h"
#include "tools/host_sim/host_command.h"
#include "tools/tray_view/gio_handles.h"

namespace tools::hostsim {

// Stands in for the host application: starts the agents, then acts on the
// commands read from stdin, one a line, until "quit", end of input, SIGINT or
// SIGTERM. Single-threaded: everything runs on the default main loop.
class HostSim {
 public:
  // defaults is absent when the suite cannot be located (no XDG_CONFIG_HOME
  // and no HOME); display-option commands then fail with an error.
  HostSim(std::unique_ptr<HostBus> hostBus, std::optional<DefaultsWriter> defaults);

  // Starts each program in agentPaths, then runs until the input ends.
  // Returns the process exit status.
  int run(const std::vector<std::string>& agentPaths);

 private:
  static gboolean inputReady(gint fd, GIOCondition condition, gpointer self);
  static gboolean stopRequested(gpointer self);

  void readInput();
  void handleLine(const std::string& line);
  void perform(const HostCommand& command);
  void setOption(std::string_view key, bool on);
  void finish();

  std::unique_ptr<HostBus> bus;
  std::optional<DefaultsWriter> defaultsWriter;
  AgentLauncher launcher;
  MainLoopPtr loop{g_main_loop_new(nullptr, FALSE)};
  std::string pendingInput;
  bool finished = false;
  SourceId inputWatch;
  SourceId interruptWatch;
  SourceId terminateWatch;
};

}  // namespace tools::hostsim
