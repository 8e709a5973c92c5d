#pragma once

#include <ostream>

// Paths of the programs under test, from the build.
namespace e2e {

inline constexpr const char* kNetworkAgent = E2E_NETWORK_AGENT;
inline constexpr const char* kSleepAgent = E2E_SLEEP_AGENT;
inline constexpr const char* kHostSim = E2E_HOST_SIM;
inline constexpr const char* kTrayView = E2E_TRAY_VIEW;

inline constexpr const char* kNetworkAgentId = "network-status-agent";
inline constexpr const char* kSleepAgentId = "sleep-status-agent";

// An agent as a test parameter: `name` goes into the test's name.
struct AgentProgram {
  const char* name;
  const char* path;
};

inline constexpr AgentProgram kNetworkProgram{"Network", kNetworkAgent};
inline constexpr AgentProgram kSleepProgram{"Sleep", kSleepAgent};

inline void PrintTo(const AgentProgram& program, std::ostream* stream) { *stream << program.name; }

}  // namespace e2e
