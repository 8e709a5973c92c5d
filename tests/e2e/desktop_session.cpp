#include "tests/e2e/desktop_session.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace e2e {
namespace {

constexpr const char* kFallbackPath = "/usr/local/bin:/usr/bin:/bin";

std::optional<std::string> inherited(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string{value};
}

}  // namespace

void setVariable(Environment& environment, const std::string& name, const std::string& value) {
  const std::string prefix = name + "=";
  std::erase_if(environment, [&](const std::string& entry) { return entry.starts_with(prefix); });
  environment.push_back(prefix + value);
}

bool programInPath(const std::string& name) {
  const std::string path = inherited("PATH").value_or(kFallbackPath);
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(':', start), path.size());
    const std::string folder = path.substr(start, end - start);
    if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::string readFile(const std::string& path) {
  std::ifstream file{path, std::ios::binary};
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

DesktopSession::DesktopSession(PrivateBus::Users users, const std::string& display) {
  if (home.path().empty()) return;
  variables = baseEnvironment(display);
  if (users == PrivateBus::Users::kEveryone) home.openToEveryone();
  bus = std::make_unique<PrivateBus>(variables, home, users);
  setVariable(variables, "DBUS_SESSION_BUS_ADDRESS", bus->address());
}

Environment DesktopSession::baseEnvironment(const std::string& display) const {
  Environment environment;
  setVariable(environment, "PATH", inherited("PATH").value_or(kFallbackPath));
  setVariable(environment, "HOME", home.path());
  setVariable(environment, "XDG_CONFIG_HOME", home.makeFolder("config"));
  setVariable(environment, "XDG_CACHE_HOME", home.makeFolder("cache"));
  setVariable(environment, "XDG_DATA_HOME", home.makeFolder("data"));
  const std::string runtime = home.makeFolder("runtime");
  chmod(runtime.c_str(), 0700);
  setVariable(environment, "XDG_RUNTIME_DIR", runtime);
  setVariable(environment, "LANG", "C.UTF-8");
  if (!display.empty()) setVariable(environment, "DISPLAY", display);
  // The sanitizers' settings pass through. The table of suppressions used is
  // not printed: an agent's standard error must stay empty.
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
    if (const auto value = inherited(name)) setVariable(environment, name, *value);
  }
  if (const auto value = inherited("LSAN_OPTIONS")) {
    setVariable(environment, "LSAN_OPTIONS", *value + ":print_suppressions=0");
  }
  return environment;
}

Environment DesktopSession::environment() const { return variables; }

std::unique_ptr<Process> DesktopSession::start(Launch launch, const Environment& extra) const {
  launch.environment = variables;
  for (const auto& entry : extra) {
    const auto equals = entry.find('=');
    setVariable(launch.environment, entry.substr(0, equals),
                equals == std::string::npos ? "" : entry.substr(equals + 1));
  }
  return std::make_unique<Process>(launch);
}

ToolRun DesktopSession::run(std::vector<std::string> arguments, Clock::duration limit) const {
  const auto deadline = Clock::now() + limit;
  auto process = start(Launch{std::move(arguments)});
  ToolRun result;
  if (!process->started()) return result;
  process->output().readToEnd(limit);
  result.exitCode =
      process->waitForExit(std::max(Clock::duration::zero(), deadline - Clock::now()));
  result.lines = process->output().lines();
  return result;
}

std::vector<std::string> DesktopSession::busNames() const {
  const ToolRun listing =
      run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
           "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.ListNames"});
  std::vector<std::string> names;
  if (listing.exitCode != 0) return names;
  static const std::regex quoted{"'([^']*)'"};
  for (const auto& line : listing.lines) {
    for (std::sregex_iterator match{line.begin(), line.end(), quoted}, end; match != end; ++match) {
      names.push_back((*match)[1]);
    }
  }
  return names;
}

bool DesktopSession::waitForBusNames(const std::vector<std::string>& names,
                                     Clock::duration limit) const {
  const auto deadline = Clock::now() + limit;
  while (true) {
    const auto present = busNames();
    const bool all = std::all_of(names.begin(), names.end(), [&](const std::string& name) {
      return std::find(present.begin(), present.end(), name) != present.end();
    });
    if (all) return true;
    if (Clock::now() >= deadline) return false;
    poll(nullptr, 0, 20);
  }
}

}  // namespace e2e
