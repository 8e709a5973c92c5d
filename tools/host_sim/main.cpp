#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/standard_descriptors.h"
#include "tools/host_sim/defaults_writer.h"
#include "tools/host_sim/host_bus.h"
#include "tools/host_sim/host_log.h"
#include "tools/host_sim/host_sim.h"

namespace {

constexpr const char* kUsage =
    "usage: host-sim [--network-agent PATH] [--sleep-agent PATH] [--no-agents]\n"
    "commands on stdin, one a line:\n"
    "  ram on|off   cpu on|off   gpu on|off   (write the defaults suite)\n"
    "  awake [STATUS TEXT]   asleep           (post the sleep state)\n"
    "  quit\n";

// The agent installed with host-sim (HOST_SIM_INSTALLED_AGENTS is that folder
// relative to host-sim's own) when it is there, else this build's.
std::string defaultAgent(const char* name, const char* built) {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return built;
  const auto installed = self.parent_path() / HOST_SIM_INSTALLED_AGENTS / name;
  return access(installed.c_str(), X_OK) == 0 ? installed.string() : built;
}

struct Options {
  std::string networkAgent = defaultAgent("network-status-agent", HOST_SIM_NETWORK_AGENT);
  std::string sleepAgent = defaultAgent("sleep-status-agent", HOST_SIM_SLEEP_AGENT);
  bool startAgents = true;
};

// Reads "--name VALUE" or "--name=VALUE" at arguments[index], advancing index
// past what it used. Absent when the argument is another option.
std::optional<std::string> optionValue(std::string_view name,
                                       const std::vector<std::string>& arguments,
                                       std::size_t& index, bool& missing) {
  const std::string& argument = arguments[index];
  if (argument == name) {
    if (index + 1 >= arguments.size()) {
      missing = true;
      return std::nullopt;
    }
    return arguments[++index];
  }
  const std::string prefix = std::string{name} + "=";
  if (argument.starts_with(prefix)) return argument.substr(prefix.size());
  return std::nullopt;
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments) {
  Options options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    bool missing = false;
    if (auto path = optionValue("--network-agent", arguments, index, missing)) {
      options.networkAgent = *path;
    } else if (auto sleepPath = optionValue("--sleep-agent", arguments, index, missing)) {
      options.sleepAgent = *sleepPath;
    } else if (!missing && arguments[index] == "--no-agents") {
      options.startAgents = false;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  platform::posix::openMissingStandardDescriptors();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const auto options = parseOptions(arguments);
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  std::string error;
  auto bus = tools::hostsim::HostBus::connect(error);
  if (!bus) {
    tools::hostsim::printHostError(error);
    return 1;
  }
  std::optional<tools::hostsim::DefaultsWriter> defaults;
  if (const auto path = tools::hostsim::DefaultsWriter::suitePath()) defaults.emplace(*path);

  tools::hostsim::HostSim host{std::move(bus), std::move(defaults)};
  std::vector<std::string> agents;
  if (options->startAgents) agents = {options->networkAgent, options->sleepAgent};
  return host.run(agents);
}
