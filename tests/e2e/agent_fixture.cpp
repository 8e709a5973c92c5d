#include "tests/e2e/agent_fixture.h"

#include <signal.h>

#include <fstream>
#include <sstream>

namespace e2e {

void AgentFixture::SetUp() {
  session = std::make_unique<test_support::PrivateSession>("", busForEveryone);
  ASSERT_TRUE(session->started()) << "the private dbus-daemon did not start";
  home = session->home();
  environment = session->environment();
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
  session.reset();
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

bool AgentFixture::waitForBusNames(const Strings& names, int seconds) {
  std::vector<std::unique_ptr<Process>> waits;
  for (const auto& name : names) {
    waits.push_back(std::make_unique<Process>(
        Strings{"gdbus", "wait", "--session", "--timeout", std::to_string(seconds), name},
        environment));
  }
  bool all = true;
  for (auto& wait : waits) all = wait->waitForExit(std::chrono::seconds{seconds + 5}) == 0 && all;
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

AgentFixture::Shown AgentFixture::startBothShown(const Strings& prefix) {
  Process& watch = start({kTrayView, "watch"});
  const std::string host = std::to_string(startSleeper().id());
  Shown shown{watch, startAgent(kNetworkAgent, host, prefix),
              startAgent(kSleepAgent, host, prefix)};
  EXPECT_TRUE(waitForItems(watch, {kNetworkAgentId, kSleepAgentId}, 10s))
      << "the items never showed";
  return shown;
}

}  // namespace e2e
