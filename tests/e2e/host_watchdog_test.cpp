#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

#include <gio/gio.h>

#include "tests/e2e/agent_fixture.h"
#include "tests/support/gdbus.h"

namespace e2e {
namespace {

// The watchdog's period: a gone host is noticed at most this long after it
// went, and never sooner than this after launch.
constexpr auto kPeriod = 2000ms;
// What ending the process may add to a tick beyond what ending it on SIGTERM
// took in the same run (a main-loop turn and the sanitizers' exit checks,
// slowed alike by the machine's load).
constexpr auto kExitMargin = 500ms;

// What a row's agents must do.
enum class Ends {
  afterTheHostIsKilled,  // the host lives, then is killed
  atTheFirstTick,        // the host is gone, or may not be signalled, from the start
  never,                 // no host is named
  onSigterm,             // the host lives; SIGTERM is the reference for the others
};

struct Row {
  std::string value;  // QORVN_PARENT_PID
  Ends ends;
  Process* host = nullptr;
  bool asNobody = false;
  std::vector<Process*> agents = {};
  Clock::time_point since = {};
};

// For root every process may be signalled, pid 1 included, so there the
// agents of the pid 1 row run as "nobody", on a bus any user may join.
class HostWatchdogTest : public AgentFixture {
 protected:
  HostWatchdogTest() { busForEveryone = geteuid() == 0; }

  // Records in `ended` when each process ends, watched side by side so that
  // one's slow exit does not delay noticing another's: until `until`, or
  // earlier once each has ended and `atLeast` is past.
  void watch(const std::vector<Process*>& processes, Clock::time_point until,
             Clock::time_point atLeast = {}) {
    const auto allEnded = [&] {
      return std::ranges::all_of(processes,
                                 [&](Process* process) { return ended.contains(process); });
    };
    while (Clock::now() < until && (Clock::now() < atLeast || !allEnded())) {
      for (Process* process : processes) {
        if (!ended.contains(process) && process->waitForExit(2ms)) ended[process] = Clock::now();
      }
    }
  }

  // How long the slowest of the agents took to end after `since` (their
  // SIGTERM): what the machine's load adds to an exit in this run.
  Clock::duration sigtermTook(const std::vector<Process*>& agents, Clock::time_point since) {
    Clock::duration took{};
    for (Process* agent : agents) {
      EXPECT_TRUE(ended.contains(agent)) << "SIGTERM did not end the agent";
      if (ended.contains(agent)) took = std::max(took, ended[agent] - since);
    }
    std::printf("ending on SIGTERM took %lld ms\n", static_cast<long long>(took / 1ms));
    return took;
  }

  // That the agent ended, with `status`, less than `bound` after `since`.
  void expectEndedWithin(Process& agent, Clock::time_point since, Clock::duration bound,
                         int status = 0) {
    ASSERT_TRUE(ended.contains(&agent)) << "the agent did not end";
    EXPECT_EQ(agent.waitForExit(0s), status);
    EXPECT_LT(ended[&agent] - since, bound) << "ended too late";
  }

  std::map<Process*, Clock::time_point> ended;
};

// Both agents for every row at once. Exits are measured against the bound
// the watchdog promises, its period, plus what ending on SIGTERM took in the
// same run plus a margin: a loaded machine slows the tick and the exit, and
// the reference alike.
TEST_F(HostWatchdogTest, OnlyAGoneOrUnsignalableHostEndsTheAgentsEachWithinAPeriodOfItsGoing) {
  const bool root = geteuid() == 0;
  if (root && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is missing";
  const Strings asNobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  // A pid that no process has: a child that was started and reaped.
  const std::string dead = std::to_string(Process{{"true"}, environment}.id());
  std::vector<Row> rows;
  for (const std::string form : {"", "+", "00"}) {
    Process& host = startSleeper();
    rows.push_back({form + std::to_string(host.id()), Ends::afterTheHostIsKilled, &host});
  }
  // Pid 1 refuses signals (to nobody); read leniently, the texts after the
  // dead pid would name it.
  rows.push_back({"1", Ends::atTheFirstTick, nullptr, root});
  rows.push_back({dead, Ends::atTheFirstTick});
  for (const std::string& value :
       Strings{" " + dead, dead + "\n", dead + "a", "", "+", "2147483648", "-1", "0"}) {
    rows.push_back({value, Ends::never});
  }
  Process& referenceHost = startSleeper();
  rows.push_back({std::to_string(referenceHost.id()), Ends::onSigterm});

  // The rule that reads the variable is shared: one agent of each row that
  // names no host is enough.
  Strings names;
  std::vector<Process*> ending;  // every agent meant to end
  for (std::size_t index = 0; index < rows.size(); ++index) {
    Row& row = rows[index];
    for (const char* program : {kNetworkAgent, kSleepAgent}) {
      if (row.ends == Ends::never && program == (index % 2 ? kNetworkAgent : kSleepAgent)) continue;
      row.agents.push_back(&startAgent(program, row.value, row.asNobody ? asNobody : Strings{}));
      if (row.ends != Ends::never) ending.push_back(row.agents.back());
      // Those ending at their first tick may be gone before a wait starts.
      if (row.ends != Ends::atTheFirstTick) names.push_back(itemBusName(*row.agents.back()));
    }
  }
  ASSERT_TRUE(waitForBusNames(names)) << "the agents did not come up on the bus";
  const auto launched = Clock::now();

  watch(ending, launched + kPeriod + 300ms, launched + kPeriod + 300ms);
  for (Row& row : rows) {
    if (row.ends == Ends::atTheFirstTick) row.since = launched;
    if (row.ends == Ends::atTheFirstTick || row.ends == Ends::never) continue;
    for (Process* agent : row.agents) {
      ASSERT_FALSE(ended.contains(agent)) << '"' << row.value << "\" ended while the host lives";
    }
    if (row.ends == Ends::onSigterm) {
      for (Process* agent : row.agents) kill(agent->id(), SIGTERM);
    } else {
      kill(row.host->id(), SIGKILL);
      ASSERT_TRUE(row.host->waitForExit(5s));
    }
    row.since = Clock::now();
  }
  // Until every agent meant to end has, and no sooner than the second tick.
  watch(ending, Clock::now() + kPeriod + 30s, launched + 2 * kPeriod + 1s);

  const Clock::duration reference = sigtermTook(rows.back().agents, rows.back().since);
  for (const Row& row : rows) {
    SCOPED_TRACE("QORVN_PARENT_PID=\"" + row.value + "\"");
    for (Process* agent : row.agents) {
      if (row.ends == Ends::never) {
        EXPECT_FALSE(agent->waitForExit(0s)) << "ended the agent";
        continue;
      }
      if (row.ends == Ends::onSigterm) continue;
      expectEndedWithin(*agent, row.since, kPeriod + reference + kExitMargin);
      if (row.ends == Ends::atTheFirstTick) {
        EXPECT_GE(ended[agent] - agent->startTime(), kPeriod - 100ms)
            << "ended before its first tick";
      }
    }
  }
}

// A session bus that is stopped (SIGSTOP on the daemon), or that floods the
// sleep agent with ten thousand state signals a second while it stalls,
// never holds an agent's exit: the host's death or SIGTERM still ends it
// within a period and the margin, beyond what SIGTERM's exit took on the same
// machine just before, the bus at rest. Giving the bus name back waited for
// the bus's answer before.
TEST_F(HostWatchdogTest, NeitherAFrozenNorAFloodedBusHoldsTheExit) {
  Process& frozenHost = startSleeper();
  const std::string frozenValue = std::to_string(frozenHost.id());
  const std::string floodedValue = std::to_string(startSleeper().id());
  std::vector<Process*> frozen = {&startAgent(kNetworkAgent, frozenValue),
                                  &startAgent(kSleepAgent, frozenValue)};
  Process& flooded = startAgent(kSleepAgent, floodedValue);
  Process& reference = startAgent(kNetworkAgent, floodedValue);
  ASSERT_TRUE(waitForBusNames({itemBusName(*frozen[0]), itemBusName(*frozen[1]),
                               itemBusName(flooded), itemBusName(reference)}));
  // What the machine's load adds to an exit, on the bus still at rest.
  const auto referenceSignalled = Clock::now();
  kill(reference.id(), SIGTERM);
  watch({&reference}, referenceSignalled + 30s);
  const Clock::duration load = sigtermTook({&reference}, referenceSignalled);

  // Frozen: neither the daemon nor its sockets answer.
  kill(session->busProcessId(), SIGSTOP);
  kill(frozenHost.id(), SIGKILL);
  ASSERT_TRUE(frozenHost.waitForExit(5s));
  const auto hostGone = Clock::now();
  watch(frozen, hostGone + kPeriod + load + 20s);
  kill(session->busProcessId(), SIGCONT);
  for (Process* agent : frozen) {
    SCOPED_TRACE("the host's death on a frozen bus");
    expectEndedWithin(*agent, hostGone, kPeriod + load + kExitMargin);
  }

  // The flood: 10,000 signals a second, in bursts of 100, from a connection
  // of the test's own.
  const auto connection = test_support::connectPeer(session->busAddress().c_str());
  ASSERT_TRUE(connection);
  std::atomic<bool> flooding = true;
  std::thread flood{[&] {
    auto next = Clock::now();
    for (int sent = 0; flooding; ++sent) {
      g_dbus_connection_emit_signal(connection.get(), nullptr, "/com/velmora/app",
                                    "com.velmora.app", "sleepStatusStateChanged",
                                    g_variant_new_parsed("({'active': <%s>, 'status': <'洪水'>},)",
                                                         sent % 2 ? "'true'" : "'false'"),
                                    nullptr);
      if (sent % 100 == 99) std::this_thread::sleep_until(next += 10ms);
    }
  }};
  // A stall of the agent (stopped for five seconds, as a loaded machine or a
  // debugger may) lets the backlog grow to some 50,000 signals.
  std::this_thread::sleep_for(1s);
  kill(flooded.id(), SIGSTOP);
  std::this_thread::sleep_for(5s);
  kill(flooded.id(), SIGCONT);
  const auto signalled = Clock::now();
  kill(flooded.id(), SIGTERM);
  watch({&flooded}, signalled + kPeriod + load + 20s);
  flooding = false;
  flood.join();
  SCOPED_TRACE("SIGTERM under a flood");
  expectEndedWithin(flooded, signalled, kPeriod + load + kExitMargin);
}

// A bus address that accepts the connection and never answers (a listening
// socket nobody accepts on): the agent gives up after five seconds with one
// line and status 1, or as soon as its host has gone, within a period (each
// beyond what SIGTERM's exit takes on the same machine at the same moment).
TEST_F(HostWatchdogTest, StartUpGivesUpOnABusThatNeverAnswers) {
  const std::string path = home + "/silent-bus";
  const test_support::GObjectPtr<GSocket> listening{
      g_socket_new(G_SOCKET_FAMILY_UNIX, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_DEFAULT, nullptr)};
  const test_support::GObjectPtr<GSocketAddress> address{g_unix_socket_address_new(path.c_str())};
  ASSERT_TRUE(g_socket_bind(listening.get(), address.get(), FALSE, nullptr));
  ASSERT_TRUE(g_socket_listen(listening.get(), nullptr));

  Process& liveHost = startSleeper();
  Process& dyingHost = startSleeper();
  const std::string silentBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=" + path;
  Process unanswered{
      {"env", silentBus, "QORVN_PARENT_PID=" + std::to_string(liveHost.id()), kSleepAgent},
      environment,
      home + "/unanswered.err"};
  Process& orphaned = startAgent(kNetworkAgent, std::to_string(dyingHost.id()), {"env", silentBus});
  // On the working bus: its exit on SIGTERM at the host's death is the
  // reference for what the machine's load adds.
  Process& reference = startAgent(kSleepAgent, std::to_string(liveHost.id()));
  ASSERT_TRUE(waitForBusNames({itemBusName(reference)}));
  std::this_thread::sleep_until(orphaned.startTime() + 1s);
  kill(dyingHost.id(), SIGKILL);
  ASSERT_TRUE(dyingHost.waitForExit(5s));
  const auto hostGone = Clock::now();
  kill(reference.id(), SIGTERM);

  watch({&orphaned, &reference, &unanswered}, hostGone + 30s);
  const Clock::duration load = sigtermTook({&reference}, hostGone);
  {
    SCOPED_TRACE("the agent whose host went");
    expectEndedWithin(orphaned, hostGone, kPeriod + load + kExitMargin);
  }
  SCOPED_TRACE("the agent that waited for the bus");
  expectEndedWithin(unanswered, unanswered.startTime(), 5s + load + kExitMargin, 1);
  EXPECT_EQ(readFile(home + "/unanswered.err"),
            "sleep-status-agent: cannot connect to the session bus\n");
}

}  // namespace
}  // namespace e2e
