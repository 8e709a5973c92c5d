#include "tests/e2e/agent_fixture.h"

#include <signal.h>

#include <set>

#include "tests/e2e/programs.h"

namespace e2e {

void AgentFixture::SetUp() {
  session = std::make_unique<DesktopSession>(busUsers, display);
  ASSERT_TRUE(session->ready()) << "the private dbus-daemon did not start";
}

void AgentFixture::TearDown() {
  for (auto& agent : agents) agent.process->signal(SIGTERM);
  for (auto& agent : agents) {
    SCOPED_TRACE(agent.name + " (pid " + std::to_string(agent.process->id()) + ")");
    EXPECT_EQ(agent.process->waitForExit(5s), 0) << "exit code of the agent";
    EXPECT_EQ(readFile(agent.stderrPath), "") << "the agent's standard error";
  }
  agents.clear();
  helpers.clear();
}

Process& AgentFixture::startAgent(const std::string& program,
                                  const std::optional<std::string>& parentPid,
                                  const std::vector<std::string>& prefix) {
  const std::string stderrPath =
      session->folder().path() + "/agent-" + std::to_string(agents.size()) + ".stderr";
  Launch launch{prefix};
  launch.arguments.push_back(program);
  launch.stderrPath = stderrPath;
  Environment extra = {"G_DEBUG=fatal-criticals"};
  if (parentPid) extra.push_back("QORVN_PARENT_PID=" + *parentPid);
  auto process = session->start(launch, extra);
  EXPECT_TRUE(process->started()) << "cannot start " << program;
  agents.push_back({std::move(process), program.substr(program.rfind('/') + 1), stderrPath});
  return *agents.back().process;
}

Process& AgentFixture::startHelper(Launch launch, const Environment& extra) {
  const std::string program = launch.arguments.empty() ? "" : launch.arguments[0];
  helpers.push_back(session->start(std::move(launch), extra));
  EXPECT_TRUE(helpers.back()->started()) << "cannot start " << program;
  return *helpers.back();
}

Process& AgentFixture::startWatch() { return startHelper(Launch{{kTrayView, "watch"}}); }

Process& AgentFixture::startHost() {
  Launch launch{{kHostSim, "--no-agents"}};
  launch.withInput = true;
  return startHelper(std::move(launch));
}

Process& AgentFixture::startSleeper() { return startHelper(Launch{{"sleep", "1000"}}); }

pid_t AgentFixture::deadPid() {
  const auto child = session->start(Launch{{"true"}});
  child->waitForExit(5s);
  return child->id();
}

ToolRun AgentFixture::trayView(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), kTrayView);
  return session->run(std::move(arguments));
}

std::optional<ItemLine> AgentFixture::nextItem(Process& watch, const std::string& id,
                                               const ItemMatch& match, Clock::duration limit) {
  std::optional<ItemLine> found;
  watch.output().next(
      [&](const std::string& line) {
        auto item = parseItemLine(line);
        if (!item || item->id != id || !match(*item)) return false;
        found = std::move(item);
        return true;
      },
      limit);
  return found;
}

bool AgentFixture::waitForItems(Process& watch, const std::vector<std::string>& ids,
                                Clock::duration limit) {
  std::set<std::string> missing(ids.begin(), ids.end());
  return watch.output()
      .next(
          [&](const std::string& line) {
            if (const auto item = parseItemLine(line)) missing.erase(item->id);
            return missing.empty();
          },
          limit)
      .has_value();
}

std::string AgentFixture::itemBusName(const Process& agent) {
  return "org.kde.StatusNotifierItem-" + std::to_string(agent.id()) + "-1";
}

std::string AgentFixture::agentErrors(const Process& agent) const {
  for (const auto& started : agents) {
    if (started.process.get() == &agent) return readFile(started.stderrPath);
  }
  return {};
}

}  // namespace e2e
