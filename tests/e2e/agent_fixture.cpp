#include "tests/e2e/agent_fixture.h"

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {
namespace {

// A session bus that takes connections from any user ID.
constexpr const char* kEveryoneBus =
    R"(<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow eavesdrop="true"/>
<allow send_destination="*" eavesdrop="true"/></policy></busconfig>)";

}  // namespace

void AgentFixture::SetUp() {
  temp = std::make_unique<test_support::TempDir>("velmora-e2e");
  ASSERT_FALSE(temp->path().empty());
  home = temp->path();
  // An agent run as another user must be able to enter its HOME.
  if (busForEveryone) chmod(home.c_str(), 0755);
  mkdir((home + "/runtime").c_str(), 0700);
  const char* path = std::getenv("PATH");
  environment = {std::string{"PATH="} + (path != nullptr ? path : "/usr/bin:/bin"), "HOME=" + home,
                 "XDG_CONFIG_HOME=" + home + "/config", "XDG_RUNTIME_DIR=" + home + "/runtime",
                 "LANG=C.UTF-8"};
  if (!display.empty()) environment.push_back("DISPLAY=" + display);
  for (const std::string name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    const char* value = std::getenv(name.c_str());
    // The table of suppressions used is not printed: an agent's standard
    // error must stay empty.
    const char* more = name == "LSAN_OPTIONS" ? ":print_suppressions=0" : "";
    if (value != nullptr) environment.push_back(name + "=" + value + more);
  }
  Strings daemon = {"dbus-daemon", "--nofork", "--print-address", "--session"};
  if (busForEveryone) daemon.back() = "--config-file=" + writeFile("bus.conf", kEveryoneBus);
  bus = std::make_unique<Process>(daemon, environment);
  const auto line = bus->next([](const std::string& text) { return !text.empty(); }, 10s);
  ASSERT_TRUE(line) << "the private dbus-daemon did not start";
  address = *line;
  environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
}

void AgentFixture::TearDown() {
  for (auto& agent : agents) {
    if (!agent->waitForExit(0s)) kill(agent->id(), SIGTERM);
  }
  for (std::size_t index = 0; index < agents.size(); ++index) {
    SCOPED_TRACE("agent pid " + std::to_string(agents[index]->id()));
    EXPECT_EQ(agents[index]->waitForExit(5s), 0) << "exit status";
    EXPECT_EQ(readFile(home + "/agent-" + std::to_string(index)), "") << "standard error";
  }
  agents.clear();
  helpers.clear();
  bus.reset();
  temp.reset();
}

Process& AgentFixture::startAgent(const std::string& program, const std::string& parentPid,
                                  Strings prefix) {
  prefix.push_back(program);
  Strings variables = environment;
  variables.push_back("G_DEBUG=fatal-criticals");
  variables.push_back("QORVN_PARENT_PID=" + parentPid);
  agents.push_back(std::make_unique<Process>(prefix, variables,
                                             home + "/agent-" + std::to_string(agents.size())));
  EXPECT_GT(agents.back()->id(), 0) << "cannot start " << program;
  return *agents.back();
}

Process& AgentFixture::start(const Strings& arguments) {
  helpers.push_back(std::make_unique<Process>(arguments, environment));
  EXPECT_GT(helpers.back()->id(), 0) << "cannot start " << arguments[0];
  return *helpers.back();
}

std::optional<Strings> AgentFixture::run(const Strings& arguments) {
  Process tool{arguments, environment};
  // Reads everything: no line matches.
  tool.next([](const std::string&) { return false; }, 10s);
  if (tool.waitForExit(1s) != 0) return std::nullopt;
  return tool.lines();
}

std::string AgentFixture::readFile(const std::string& path) {
  std::ostringstream contents;
  contents << std::ifstream{path, std::ios::binary}.rdbuf();
  return contents.str();
}

std::string AgentFixture::writeFile(const std::string& relativePath, const std::string& contents) {
  const std::filesystem::path path = home + "/" + relativePath;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream{path.string() + ".new"} << contents;
  std::filesystem::rename(path.string() + ".new", path);
  return path.string();
}

bool AgentFixture::waitForBusNames(const Strings& names) {
  std::vector<std::unique_ptr<Process>> waits;
  for (const auto& name : names) {
    waits.push_back(std::make_unique<Process>(
        Strings{"gdbus", "wait", "--session", "--timeout", "20", name}, environment));
  }
  bool all = true;
  for (auto& wait : waits) all = wait->waitForExit(25s) == 0 && all;
  return all;
}

std::string AgentFixture::itemBusName(const Process& agent) {
  return "org.kde.StatusNotifierItem-" + std::to_string(agent.id()) + "-1";
}

bool AgentFixture::waitForItems(Process& watch, Strings ids, Clock::duration limit) {
  const auto found = watch.next(
      [&](const std::string& line) {
        std::erase_if(ids,
                      [&](const std::string& id) { return line.starts_with("item " + id + " "); });
        return ids.empty();
      },
      limit);
  return found.has_value();
}

}  // namespace e2e
