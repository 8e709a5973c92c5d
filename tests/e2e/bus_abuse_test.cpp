// Any process on the session bus may call the items' objects and send the
// host's signals. These tests flood both agents with calls and signals of
// every shape and require that each agent answers or ignores them, keeps its
// tooltip moving each second, and holds its memory flat.
#include <gio/gio.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/e2e/agent_fixture.h"
#include "tests/support/gdbus.h"

namespace e2e {
namespace {

using test_support::callAndWait;
using test_support::GObjectPtr;
using test_support::VariantPtr;

constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char* kMenuPath = "/MenuBar";
constexpr const char* kMenuInterface = "com.canonical.dbusmenu";
constexpr const char* kHostPath = "/com/velmora/app";
constexpr const char* kHostInterface = "com.velmora.app";
constexpr const char* kDefaultsFile = "config/com.velmora.app/defaults.conf";

// Resident memory, in KiB, of a running process.
long residentKiB(pid_t pid) {
  long pages = -1;
  long resident = -1;
  std::ifstream{"/proc/" + std::to_string(pid) + "/statm"} >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The methods the agents' objects have, with the arguments each takes
// (GDBus itself answers Introspect and Ping).
struct Method {
  const char* path;
  const char* interfaceName;
  const char* name;
  const char* arguments;
};
constexpr Method kMethods[] = {
    {kItemPath, kItemInterface, "Activate", "(ii)"},
    {kItemPath, kItemInterface, "ContextMenu", "(ii)"},
    {kItemPath, kItemInterface, "SecondaryActivate", "(ii)"},
    {kItemPath, kItemInterface, "Scroll", "(is)"},
    {kItemPath, kPropertiesInterface, "Get", "(ss)"},
    {kItemPath, kPropertiesInterface, "GetAll", "(s)"},
    {kItemPath, kPropertiesInterface, "Set", "(ssv)"},
    {kMenuPath, kPropertiesInterface, "Get", "(ss)"},
    {kMenuPath, kMenuInterface, "Event", "(isvu)"},
    {kMenuPath, kMenuInterface, "EventGroup", "(a(isvu))"},
    {kMenuPath, kMenuInterface, "GetLayout", "(iias)"},
    {kMenuPath, kMenuInterface, "GetProperty", "(is)"},
    {kMenuPath, kMenuInterface, "AboutToShow", "(i)"},
    {kMenuPath, kMenuInterface, "AboutToShowGroup", "(ai)"},
    {kMenuPath, kMenuInterface, "GetGroupProperties", "(aias)"},
};

// The types a value of any type is drawn from.
constexpr const char* kTypes[] = {"s", "i",  "u",  "b",  "d", "x",
                                  "o", "ay", "ai", "as", "v", "a{sv}"};

// Random calls and values of every shape, from a fixed seed so that a
// failure can be replayed: the methods above with arguments of their types
// or of any, on their paths or others, and methods nobody has. Some values
// are read back, as the fuzz targets read their input, from another value's
// bytes with a few of them flipped.
class Abuse {
 public:
  struct Call {
    std::string path;
    std::string interfaceName;
    std::string method;
    GVariant* arguments = nullptr;  // floating
  };

  Call next() {
    // A plain left click: thousands of them in each round.
    if (pick(3) == 0) return {kItemPath, kItemInterface, "Activate", g_variant_new("(ii)", 10, 10)};
    const Method& method = kMethods[pick(std::size(kMethods))];
    Call call{method.path, method.interfaceName, method.name,
              valueOf(pick(4) ? method.arguments : anyTuple(), 3)};
    if (pick(8) == 0) call.path = pick(2) ? "/" + name(1) : "/StatusNotifierItem/x";
    if (pick(8) == 0) call.method = name(1);
    if (pick(8) == 0) call.interfaceName = name(3);
    return call;
  }

  // The body of a signal on the host's path: any tuple, or an a{sv} like the
  // sleep state's.
  GVariant* signalBody() { return valueOf(pick(2) ? anyTuple() : "(a{sv})", 3); }

  std::string member() {
    return pick(4) ? oneOf({"sleepStatusStateChanged", "showWindow", "showSleepManagement"})
                   : name(1);
  }

 private:
  int pick(std::size_t count) {
    return std::uniform_int_distribution<int>{0, static_cast<int>(count) - 1}(random);
  }
  template <class T>
  T oneOf(std::initializer_list<T> items) {
    return items.begin()[pick(items.size())];
  }

  // Numbers at the edges, or any. As a menu entry's id the small ones name
  // no entry an Event could run: the menu numbers its entries from 1 and the
  // first is its disabled title (the last ends the network agent, which
  // would fail the run).
  std::int32_t number() {
    return pick(4) ? oneOf<std::int32_t>({0, -1, 1, INT32_MIN, INT32_MAX})
                   : static_cast<std::int32_t>(random());
  }

  // The words the agents look for, or valid UTF-8 of ASCII, control
  // characters and CJK; now and then huge.
  std::string text() {
    if (pick(3) == 0) {
      return oneOf({"clicked", "Id", "Title", "ToolTip", "IconPixmap", "Menu", "active", "status",
                    "true", kItemInterface, kMenuInterface, ""});
    }
    const std::size_t length = pick(50) == 0 ? 100000 : pick(41);
    std::string result;
    while (result.size() < length) {
      const int kind = pick(8);
      result += kind == 1 ? "醒" : std::string(1, kind == 0 ? 1 + pick(31) : 32 + pick(95));
    }
    return result;
  }

  // A valid member name with `parts` dot-separated elements.
  std::string name(int parts) {
    std::string result;
    for (int part = 0; part < parts; ++part) {
      if (part > 0) result += '.';
      result += static_cast<char>('A' + pick(26));
      for (int length = pick(12); length > 0; --length) result += "abcxyz_019"[pick(10)];
    }
    return result;
  }

  std::string anyTuple() {
    std::string type = "(";
    for (int fields = pick(5); fields > 0; --fields) type += kTypes[pick(std::size(kTypes))];
    return type + ")";
  }

  // A random value of the type; at `depth` 0 containers are empty.
  GVariant* valueOf(const std::string& type, int depth) {
    const GVariantType* const elements = G_VARIANT_TYPE(type.c_str());
    switch (type[0]) {
      case 'b':
        return g_variant_new_boolean(pick(2));
      case 'i':
        return g_variant_new_int32(number());
      case 'u':
        return g_variant_new_uint32(static_cast<guint32>(number()));
      case 'x':
        return g_variant_new_int64(INT64_MIN + pick(2));
      case 'd':
        return g_variant_new_double(oneOf<double>({1e308, -0.5, NAN}));
      case 's':
        return g_variant_new_string(text().c_str());
      case 'o':
        return g_variant_new_object_path(pick(2) ? kItemPath : ("/" + name(1)).c_str());
      case 'v':
        return g_variant_new_variant(pick(4) || depth == 0 ? valueOf(kTypes[pick(8)], 0)
                                                           : flipped(depth - 1));
      case 'a': {
        if (type == "ay") {
          const std::string bytes = text();
          return g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1);
        }
        std::vector<GVariant*> items(depth > 0 ? pick(5) : 0);
        for (GVariant*& item : items) item = valueOf(type.substr(1), depth - 1);
        return g_variant_new_array(g_variant_type_element(elements), items.data(), items.size());
      }
      default: {  // a tuple or a dictionary entry
        std::vector<GVariant*> fields;
        for (auto* field = g_variant_type_first(elements); field;
             field = g_variant_type_next(field)) {
          const std::string fieldType{g_variant_type_peek_string(field),
                                      g_variant_type_get_string_length(field)};
          fields.push_back(valueOf(fieldType, depth - 1));
        }
        if (type[0] == '{') return g_variant_new_dict_entry(fields[0], fields[1]);
        return g_variant_new_tuple(fields.data(), fields.size());
      }
    }
  }

  // A value's bytes, a few of them flipped, read back as untrusted data of
  // its type, as the fuzz targets read theirs.
  GVariant* flipped(int depth) {
    const VariantPtr whole{g_variant_ref_sink(valueOf(kTypes[pick(std::size(kTypes))], depth))};
    std::string bytes{static_cast<const char*>(g_variant_get_data(whole.get())),
                      g_variant_get_size(whole.get())};
    for (int flips = pick(4); flips > 0 && !bytes.empty(); --flips) {
      bytes[pick(bytes.size())] ^= static_cast<char>(1 << pick(8));
    }
    GBytes* read = g_bytes_new(bytes.data(), bytes.size());
    GVariant* value = g_variant_new_from_bytes(g_variant_get_type(whole.get()), read, FALSE);
    g_bytes_unref(read);
    return g_variant_new_variant(value);
  }

  std::mt19937 random{20261206};
};

class BusAbuseTest : public AgentFixture {
 protected:
  // Sends `count` calls to each agent and `signals` signals on the host's
  // path, keeping at most kWindow calls in flight.
  void flood(int count, int signals) {
    const auto start = Clock::now();
    int sent = 0;
    int emitted = 0;
    const int total = count * static_cast<int>(agents.size());
    while (sent < total || inFlight > 0) {
      while (inFlight < kWindow && sent < total) {
        const Abuse::Call call = abuse.next();
        g_dbus_connection_call(connection.get(), itemBusName(*agents[sent % agents.size()]).c_str(),
                               call.path.c_str(), call.interfaceName.c_str(), call.method.c_str(),
                               call.arguments, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START,
                               kCallTimeoutMs, nullptr, callDone, this);
        ++inFlight;
        ++sent;
        if (emitted < signals && sent % (total / signals) == 0) {
          g_dbus_connection_emit_signal(connection.get(), nullptr, kHostPath, kHostInterface,
                                        abuse.member().c_str(), abuse.signalBody(), nullptr);
          ++emitted;
        }
      }
      pumpOnce();
      ASSERT_LT(Clock::now() - start, 120s) << "the agents stopped answering";
    }
    calls += sent;
  }

  // Handles what arrived, waiting for it, and switches the network agent's
  // CPU column when a second has passed since the last switch: its tooltip
  // changes at the next refresh.
  void pumpOnce() {
    if (Clock::now() - lastSwitch >= 1s) {
      cpuOn = !cpuOn;
      writeFile(kDefaultsFile,
                std::string{"[Defaults]\nnetworkSpeedShowCPUV1="} + (cpuOn ? "true\n" : "false\n"));
      lastSwitch = Clock::now();
    }
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }

  static void callDone(GObject* source, GAsyncResult* result, gpointer self) {
    auto* test = static_cast<BusAbuseTest*>(self);
    GError* error = nullptr;
    const VariantPtr reply{
        g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)};
    --test->inFlight;
    test->answered += reply != nullptr;
    test->timeouts += g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
    g_clear_error(&error);
  }

  static void toolTipChanged(GDBusConnection*, const char*, const char*, const char*, const char*,
                             GVariant*, gpointer self) {
    static_cast<BusAbuseTest*>(self)->toolTipTimes.push_back(Clock::now());
  }

  static constexpr int kWindow = 64;
  static constexpr int kCallTimeoutMs = 10000;

  std::vector<Process*> agents;
  GObjectPtr<GDBusConnection> connection;
  Abuse abuse;
  std::vector<Clock::time_point> toolTipTimes;
  Clock::time_point lastSwitch;
  bool cpuOn = false;
  int calls = 0;
  int inFlight = 0;
  int answered = 0;
  int timeouts = 0;
};

TEST_F(BusAbuseTest, AgentsAnswerOrRefuseMalformedCallsAndSignalsAndStayResponsiveAndFlat) {
  // Both agents, their host a sleeping process. Under AddressSanitizer freed
  // memory waits in a quarantine of up to 256 MB, which would hide a flat
  // heap behind a growing resident size; a small one keeps RSS meaningful.
  const char* options = std::getenv("ASAN_OPTIONS");
  const std::string asan = std::string{"ASAN_OPTIONS="} + (options ? options : "") +
                           ":quarantine_size_mb=1:thread_local_quarantine_size_kb=64";
  const std::string host = std::to_string(startSleeper().id());
  for (const char* program : {kNetworkAgent, kSleepAgent})
    agents.push_back(&startAgent(program, host, {"env", asan}));
  ASSERT_TRUE(waitForBusNames({itemBusName(*agents[0]), itemBusName(*agents[1])}));

  connection = test_support::connectPeer(session->busAddress().c_str());
  ASSERT_TRUE(connection);
  // The network agent's tooltip only: the sleep agent's follows the abusive signals.
  g_dbus_connection_signal_subscribe(connection.get(), itemBusName(*agents[0]).c_str(),
                                     kItemInterface, "NewToolTip", kItemPath, nullptr,
                                     G_DBUS_SIGNAL_FLAGS_NONE, toolTipChanged, this, nullptr);
  // The first round fills the agents' caches (the allocator's too, for the
  // huge strings); the second must not grow them by more than 2 MiB.
  toolTipTimes = {Clock::now()};
  flood(12000, 3000);
  ASSERT_FALSE(HasFatalFailure());
  std::vector<long> before;
  for (Process* agent : agents) before.push_back(residentKiB(agent->id()));
  flood(8000, 2000);
  ASSERT_FALSE(HasFatalFailure());
  // Since the first tooltip time (the start): every call was answered or
  // refused in time, the tooltip never went more than three seconds without
  // a change while the options switched each second (two more switches
  // follow the last call), and both agents still run.
  for (const auto until = Clock::now() + 2500ms; Clock::now() < until;) pumpOnce();
  toolTipTimes.push_back(Clock::now());
  Clock::duration longestGap{};
  for (std::size_t index = 0; index + 1 < toolTipTimes.size(); ++index) {
    longestGap = std::max(longestGap, toolTipTimes[index + 1] - toolTipTimes[index]);
  }
  EXPECT_EQ(timeouts, 0) << "calls neither answered nor refused in 10 s";
  // The calls reach both the answering and the refusing code.
  EXPECT_GT(answered, 0);
  EXPECT_GT(calls - answered - timeouts, 0) << "no call was refused";
  EXPECT_LE(longestGap, 3s) << "the tooltip stopped following the options for " << longestGap / 1ms
                            << " ms";
  for (Process* agent : agents) EXPECT_FALSE(agent->waitForExit(0s)) << itemBusName(*agent);
  for (std::size_t index = 0; index < agents.size(); ++index) {
    const long after = residentKiB(agents[index]->id());
    EXPECT_LE(after - before[index], 2048)
        << itemBusName(*agents[index]) << ": RSS " << before[index] << " -> " << after << " KiB";
  }
  // The sleep item takes a well-formed state after all that.
  g_dbus_connection_emit_signal(
      connection.get(), nullptr, kHostPath, kHostInterface, "sleepStatusStateChanged",
      g_variant_new_parsed("({'active': <'true'>, 'status': <'还在'>},)"), nullptr);
  std::string tooltip;
  EXPECT_TRUE(test_support::spinUntil(
      [&] {
        tooltip =
            test_support::printed(callAndWait(connection.get(), itemBusName(*agents[1]).c_str(),
                                              kItemPath, kPropertiesInterface, "Get",
                                              g_variant_new("(ss)", kItemInterface, "ToolTip"))
                                      .get());
        return tooltip.find(" · 还在'") != std::string::npos;
      },
      3s))
      << "the sleep tooltip is still " << tooltip;
}

}  // namespace
}  // namespace e2e
