#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/private_bus.h"
#include "tests/e2e/process.h"
#include "tests/e2e/temp_dir.h"

namespace e2e {

using namespace std::chrono_literals;

// What a one-shot program did: its exit code (absent when it outran its
// limit and was killed) and its standard output.
struct ToolRun {
  std::optional<int> exitCode;
  std::vector<std::string> lines;
};

// One test's desktop: a temporary home (HOME and every XDG folder inside it)
// and a private session bus. Every program starts with exactly this
// environment, never the test runner's, so nothing reaches the user's files
// or buses.
class DesktopSession {
 public:
  // `display` (":N") is exported to the bus and every program; empty: none.
  explicit DesktopSession(PrivateBus::Users users = PrivateBus::Users::kOwnerOnly,
                          const std::string& display = {});

  bool ready() const { return bus && !bus->address().empty(); }
  const TempDir& folder() const { return home; }
  Environment environment() const;

  // `extra` entries are added to, or replace, the session's environment.
  std::unique_ptr<Process> start(Launch launch, const Environment& extra = {}) const;
  ToolRun run(std::vector<std::string> arguments, Clock::duration limit = 10s) const;
  // The names on the bus, as the bus lists them.
  std::vector<std::string> busNames() const;
  // Waits until every name is on the bus; false when the limit passes first.
  bool waitForBusNames(const std::vector<std::string>& names, Clock::duration limit) const;

 private:
  Environment baseEnvironment(const std::string& display) const;

  TempDir home;
  Environment variables;
  std::unique_ptr<PrivateBus> bus;
};

// Adds or replaces NAME in an environment ("NAME=value").
void setVariable(Environment& environment, const std::string& name, const std::string& value);

// Whether a program of that name is in PATH.
bool programInPath(const std::string& name);

// The file's contents; empty when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace e2e
