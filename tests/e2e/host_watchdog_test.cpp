#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <thread>

#include <gio/gio.h>

#include "tests/e2e/agent_fixture.h"

namespace e2e {
namespace {

// The watchdog's period: a gone host is noticed at most this long after it
// went, and never sooner than this after launch.
constexpr auto kPeriod = 2000ms;
// What ending the process may add to a tick beyond what ending it on SIGTERM
// took in the same run (a main-loop turn and the sanitizers' exit checks,
// slowed alike by the machine's load).
constexpr auto kExitMargin = 500ms;

std::int64_t milliseconds(Clock::duration duration) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

// When each process ended, watched side by side until all have or the time
// is up, so that one's slow exit does not delay noticing another's.
std::vector<std::optional<Clock::time_point>> endings(const std::vector<Process*>& processes,
                                                      Clock::time_point until) {
  std::vector<std::optional<Clock::time_point>> ended(processes.size());
  while (Clock::now() < until && std::count(ended.begin(), ended.end(), std::nullopt) > 0) {
    for (std::size_t index = 0; index < processes.size(); ++index) {
      if (!ended[index] && processes[index]->waitForExit(2ms)) ended[index] = Clock::now();
    }
  }
  return ended;
}

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
};

// Both agents for every row at once. Exits are measured against the bound
// the watchdog promises, its period, plus what ending on SIGTERM took in the
// same run plus a margin: a loaded machine slows the tick and the exit, and
// the reference alike.
TEST_F(HostWatchdogTest, OnlyAGoneOrUnsignalableHostEndsTheAgentsEachWithinAPeriodOfItsGoing) {
  const bool root = geteuid() == 0;
  if (root && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is missing";
  const Strings asNobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  const std::string dead = std::to_string(deadPid());
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
  for (std::size_t index = 0; index < rows.size(); ++index) {
    Row& row = rows[index];
    for (const char* program : {kNetworkAgent, kSleepAgent}) {
      if (row.ends == Ends::never && program == (index % 2 ? kNetworkAgent : kSleepAgent)) continue;
      row.agents.push_back(&startAgent(program, row.value, row.asNobody ? asNobody : Strings{}));
      // Those ending at their first tick may be gone before a wait starts.
      if (row.ends != Ends::atTheFirstTick) names.push_back(itemBusName(*row.agents.back()));
    }
  }
  ASSERT_TRUE(waitForBusNames(names)) << "the agents did not come up on the bus";
  const auto launched = Clock::now();

  // Each agent's end, watched side by side, so that one's slow exit does not
  // delay noticing another's.
  std::map<Process*, Clock::time_point> ended;
  // Until the time is up, or earlier once every agent meant to end has.
  const auto watchUntil = [&](Clock::time_point until, Clock::time_point atLeast) {
    const auto allEnded = [&] {
      return std::ranges::all_of(rows, [&](const Row& row) {
        return row.ends == Ends::never || std::ranges::all_of(row.agents, [&](Process* agent) {
                 return ended.contains(agent);
               });
      });
    };
    while (Clock::now() < until && (Clock::now() < atLeast || !allEnded())) {
      for (const Row& row : rows) {
        for (Process* agent : row.agents) {
          if (!ended.contains(agent) && agent->waitForExit(2ms)) ended[agent] = Clock::now();
        }
      }
    }
  };

  watchUntil(launched + kPeriod + 300ms, launched + kPeriod + 300ms);
  for (Row& row : rows) {
    if (row.ends == Ends::atTheFirstTick) row.since = launched;
    if (row.ends == Ends::atTheFirstTick || row.ends == Ends::never) continue;
    for (Process* agent : row.agents) {
      ASSERT_FALSE(ended.contains(agent)) << '"' << row.value << "\" ended while the host lives";
    }
    if (row.ends == Ends::onSigterm) {
      for (Process* agent : row.agents) kill(agent->id(), SIGTERM);
      row.since = Clock::now();
    } else {
      kill(row.host->id(), SIGKILL);
      ASSERT_TRUE(row.host->waitForExit(5s));
      row.since = Clock::now();
    }
  }
  watchUntil(Clock::now() + kPeriod + 30s, launched + 2 * kPeriod + 1s);

  Clock::duration reference{};
  for (const Row& row : rows) {
    if (row.ends != Ends::onSigterm) continue;
    for (Process* agent : row.agents) {
      ASSERT_TRUE(ended.contains(agent)) << "SIGTERM did not end the agent";
      reference = std::max(reference, ended[agent] - row.since);
    }
  }
  std::printf("ending on SIGTERM took %lld ms\n", static_cast<long long>(milliseconds(reference)));
  for (const Row& row : rows) {
    SCOPED_TRACE("QORVN_PARENT_PID=\"" + row.value + "\"");
    for (Process* agent : row.agents) {
      if (row.ends == Ends::never) {
        EXPECT_FALSE(ended.contains(agent)) << "ended the agent";
        continue;
      }
      ASSERT_TRUE(ended.contains(agent)) << "the agent did not end";
      EXPECT_EQ(agent->waitForExit(0s), 0);
      if (row.ends == Ends::onSigterm) continue;
      if (row.ends == Ends::atTheFirstTick) {
        EXPECT_GE(milliseconds(ended[agent] - agent->startTime()), milliseconds(kPeriod - 100ms))
            << "ended before its first tick";
      }
      EXPECT_LT(milliseconds(ended[agent] - row.since),
                milliseconds(kPeriod + reference + kExitMargin))
          << "ended too late";
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
  Process& floodedHost = startSleeper();
  const std::string frozenValue = std::to_string(frozenHost.id());
  const std::string floodedValue = std::to_string(floodedHost.id());
  std::vector<Process*> frozen = {&startAgent(kNetworkAgent, frozenValue),
                                  &startAgent(kSleepAgent, frozenValue)};
  Process& flooded = startAgent(kSleepAgent, floodedValue);
  Process& reference = startAgent(kNetworkAgent, floodedValue);
  ASSERT_TRUE(waitForBusNames({itemBusName(*frozen[0]), itemBusName(*frozen[1]),
                               itemBusName(flooded), itemBusName(reference)}));
  // What the machine's load adds to an exit, on the bus still at rest.
  const auto referenceSignalled = Clock::now();
  kill(reference.id(), SIGTERM);
  const auto referenceEnd = endings({&reference}, referenceSignalled + 30s)[0];
  ASSERT_TRUE(referenceEnd) << "SIGTERM did not end the reference agent";
  const Clock::duration load = *referenceEnd - referenceSignalled;
  std::printf("ending on SIGTERM took %lld ms\n", static_cast<long long>(milliseconds(load)));

  // Frozen: neither the daemon nor its sockets answer.
  kill(busProcessId(), SIGSTOP);
  kill(frozenHost.id(), SIGKILL);
  ASSERT_TRUE(frozenHost.waitForExit(5s));
  const auto hostGone = Clock::now();
  const auto frozenEnds = endings(frozen, hostGone + kPeriod + load + 20s);
  kill(busProcessId(), SIGCONT);
  for (std::size_t index = 0; index < frozen.size(); ++index) {
    ASSERT_TRUE(frozenEnds[index]) << "an agent of the frozen bus did not end";
    EXPECT_EQ(frozen[index]->waitForExit(0s), 0);
    EXPECT_LT(milliseconds(*frozenEnds[index] - hostGone),
              milliseconds(kPeriod + load + kExitMargin))
        << "the host's death on a frozen bus";
  }

  // The flood: 10,000 signals a second, in bursts of 100, from a connection
  // of the test's own.
  GError* error = nullptr;
  const std::unique_ptr<GDBusConnection, decltype(&g_object_unref)> connection{
      g_dbus_connection_new_for_address_sync(
          busAddress().c_str(),
          static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                            G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
          nullptr, nullptr, &error),
      g_object_unref};
  ASSERT_TRUE(connection) << error->message;
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
  const auto floodedEnd = endings({&flooded}, signalled + kPeriod + load + 20s)[0];
  flooding = false;
  flood.join();
  ASSERT_TRUE(floodedEnd) << "the flooded agent did not end";
  EXPECT_EQ(flooded.waitForExit(0s), 0);
  EXPECT_LT(milliseconds(*floodedEnd - signalled), milliseconds(kPeriod + load + kExitMargin))
      << "SIGTERM under a flood";
}

// A bus address that accepts the connection and never answers (a listening
// socket nobody accepts on): the agent gives up after five seconds with one
// line and status 1, or as soon as its host has gone, within a period (each
// beyond what SIGTERM's exit takes on the same machine at the same moment).
TEST_F(HostWatchdogTest, StartUpGivesUpOnABusThatNeverAnswers) {
  const std::string path = home + "/silent-bus";
  const int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listening, 16), 0);

  Process& liveHost = startSleeper();
  Process& dyingHost = startSleeper();
  const auto environmentWith = [&](const Process& host) {
    Strings variables = programEnvironment();
    std::erase_if(variables, [](const std::string& variable) {
      return variable.starts_with("DBUS_SESSION_BUS_ADDRESS=");
    });
    variables.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + path);
    variables.push_back("QORVN_PARENT_PID=" + std::to_string(host.id()));
    return variables;
  };
  Process unanswered{{kSleepAgent}, environmentWith(liveHost), home + "/unanswered.err"};
  Process orphaned{{kNetworkAgent}, environmentWith(dyingHost), home + "/orphaned.err"};
  // On the working bus: its exit on SIGTERM at the host's death is the
  // reference for what the machine's load adds.
  Process& reference = startAgent(kSleepAgent, std::to_string(liveHost.id()));
  ASSERT_TRUE(waitForBusNames({itemBusName(reference)}));
  std::this_thread::sleep_until(orphaned.startTime() + 1s);
  kill(dyingHost.id(), SIGKILL);
  ASSERT_TRUE(dyingHost.waitForExit(5s));
  const auto hostGone = Clock::now();
  kill(reference.id(), SIGTERM);

  const auto ends = endings({&orphaned, &reference, &unanswered}, hostGone + 30s);
  ASSERT_TRUE(ends[1]) << "SIGTERM did not end the reference agent";
  const Clock::duration load = *ends[1] - hostGone;
  std::printf("ending on SIGTERM took %lld ms\n", static_cast<long long>(milliseconds(load)));
  ASSERT_TRUE(ends[0]) << "the agent outlived its host";
  EXPECT_EQ(orphaned.waitForExit(0s), 0);
  EXPECT_LT(milliseconds(*ends[0] - hostGone), milliseconds(kPeriod + load + kExitMargin));
  EXPECT_EQ(readFile(home + "/orphaned.err"), "");

  ASSERT_TRUE(ends[2]) << "the agent waited for the bus";
  EXPECT_EQ(unanswered.waitForExit(0s), 1);
  EXPECT_LT(milliseconds(*ends[2] - unanswered.startTime()), milliseconds(5s + load + kExitMargin));
  EXPECT_EQ(readFile(home + "/unanswered.err"),
            "sleep-status-agent: cannot connect to the session bus\n");
  close(listening);
}

}  // namespace
}  // namespace e2e
