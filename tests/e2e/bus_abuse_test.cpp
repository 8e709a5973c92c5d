// Any process on the session bus may call the items' objects and send the
// host's signals. These tests flood both agents with calls and signals of
// every shape and require that each agent answers or ignores them, keeps its
// tooltip moving each second, and holds its memory flat.
#include <gio/gio.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "fuzz/fuzz_variant.h"
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

// Random calls and values of every shape, from a fixed seed so that a
// failure can be replayed. Some values are read back, as the fuzz targets
// read their input, from another value's bytes with a few of them flipped.
class Abuse {
 public:
  struct Call {
    std::string path;
    std::string interfaceName;
    std::string method;
    GVariant* arguments = nullptr;  // floating, or null for none
  };

  Call next() {
    switch (pick(13)) {
      case 0:  // a click, scroll or other item method with plausible arguments
        if (pick(4) == 0) return item("Scroll", g_variant_new("(is)", number(), text(40).c_str()));
        return item(oneOf({"Activate", "ContextMenu", "SecondaryActivate"}),
                    g_variant_new("(ii)", number(), number()));
      case 1:  // an item method with arguments of any type
        return item(oneOf({"Activate", "Scroll"}), tuple());
      case 2:  // a method nobody has, on the item's interface or another
        return {somePath(), pick(2) ? kItemInterface : name(3), name(1), tuple()};
      case 3: {  // reading a property, known or not
        const std::string property =
            pick(2) ? oneOf({"Id", "Title", "Status", "ToolTip", "IconPixmap", "Menu", "Category"})
                    : text(pick(20) == 0 ? 100000 : 30);
        if (pick(3) == 0)
          return properties(kItemPath, "GetAll", g_variant_new("(s)", anyInterface().c_str()));
        return properties(kItemPath, "Get",
                          g_variant_new("(ss)", anyInterface().c_str(), property.c_str()));
      }
      case 4:  // writing a read-only property
        return properties(
            kItemPath, "Set",
            g_variant_new("(ssv)", anyInterface().c_str(), oneOf({"Title", "ToolTip"}), value(2)));
      case 5:  // the property methods with arguments of any type
        return properties(oneOf({kItemPath, kMenuPath}), oneOf({"Get", "Set"}), tuple());
      case 6:  // a menu event for an id that does not exist
        return menu("Event",
                    g_variant_new("(isvu)", missingId(), pick(2) ? "clicked" : text(20).c_str(),
                                  value(2), static_cast<guint32>(number())));
      case 7:  // the other menu methods, with plausible arguments
        switch (pick(4)) {
          case 0:
            return menu("GetLayout",
                        g_variant_new("(ii@as)", pick(2) ? 0 : number(), number() % 5, strings()));
          case 1:
            return menu("GetProperty", g_variant_new("(is)", number(), text(30).c_str()));
          case 2:
            return menu("AboutToShow", g_variant_new("(i)", number()));
          default:
            return menu("GetGroupProperties", g_variant_new("(@ai@as)", ids(), strings()));
        }
      case 8:  // the menu methods with arguments of any type
        return menu(oneOf({"Event", "EventGroup", "AboutToShowGroup"}), tuple());
      case 9:  // introspection and the peer interface, on paths that exist or not
        return {somePath(),
                oneOf({"org.freedesktop.DBus.Introspectable", "org.freedesktop.DBus.Peer"}),
                oneOf({"Introspect", "Ping"}), pick(4) == 0 ? tuple() : nullptr};
      default:  // a plain left click: thousands of them in each round
        return item("Activate", g_variant_new("(ii)", 10, 10));
    }
  }

  // The body of a signal on the host's path: any tuple, or an a{sv} close to
  // the sleep state's.
  GVariant* signalBody() {
    if (pick(2) == 0) return tuple();
    return g_variant_new("(@a{sv})", array("{sv}", pick(4), [&] {
                           const std::string status =
                               pick(2) ? "true" : text(pick(50) == 0 ? 200000 : 20);
                           return entry(pick(3) ? oneOf({"active", "status"}) : text(10),
                                        pick(2) ? g_variant_new_string(status.c_str()) : value(2));
                         }));
  }

  std::string member() {
    return pick(4) ? oneOf({"sleepStatusStateChanged", "showWindow", "showSleepManagement"})
                   : name(1);
  }

 private:
  static Call item(const char* method, GVariant* arguments) {
    return {kItemPath, kItemInterface, method, arguments};
  }
  static Call menu(const char* method, GVariant* arguments) {
    return {kMenuPath, kMenuInterface, method, arguments};
  }
  static Call properties(const char* path, const char* method, GVariant* arguments) {
    return {path, kPropertiesInterface, method, arguments};
  }
  int pick(int count) { return std::uniform_int_distribution<int>{0, count - 1}(random); }
  template <class T>
  T oneOf(std::initializer_list<T> items) {
    return items.begin()[pick(static_cast<int>(items.size()))];
  }
  std::int32_t number() {
    return pick(4) ? oneOf<std::int32_t>({0, -1, 1, INT32_MIN, INT32_MAX})
                   : static_cast<std::int32_t>(random());
  }

  // Valid UTF-8 of ASCII, control characters and CJK; now and then huge.
  std::string text(std::size_t longest) {
    const std::size_t length = pick(100) == 0 ? longest * 10 : pick(static_cast<int>(longest) + 1);
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
      const int length = pick(12);
      for (int index = 0; index < length; ++index) result += "abcxyz_019"[pick(10)];
    }
    return result;
  }

  std::string anyInterface() {
    return pick(3) ? oneOf({kItemInterface, kMenuInterface, kPropertiesInterface, ""}) : text(30);
  }

  std::string somePath() {
    return pick(3) ? oneOf({kItemPath, kMenuPath, "/", "/MenuBar/1", "/StatusNotifierItem/x"})
                   : "/" + name(1);
  }

  // An id no entry has: negative, or far above the few a menu numbers (its
  // entries are numbered afresh each time it is built, from 1 up). A real
  // entry's click could end the network agent, which fails the run.
  std::int32_t missingId() {
    return pick(2) ? oneOf<std::int32_t>({-1, INT32_MIN, INT32_MAX}) : 1000000 + pick(1000000);
  }

  // An array of `count` elements of `type`, each from `make`.
  template <class Make>
  GVariant* array(const char* type, int count, Make make) {
    std::vector<GVariant*> items(count);
    for (GVariant*& item : items) item = make();
    return g_variant_new_array(G_VARIANT_TYPE(type), items.data(), items.size());
  }
  GVariant* entry(const std::string& key, GVariant* value) {
    return g_variant_new_dict_entry(g_variant_new_string(key.c_str()),
                                    g_variant_new_variant(value));
  }
  GVariant* ids() {
    return array("i", pick(6), [&] { return g_variant_new_int32(number()); });
  }
  GVariant* strings() {
    return array("s", pick(4), [&] { return g_variant_new_string(text(16).c_str()); });
  }
  GVariant* tuple() {
    std::vector<GVariant*> fields(pick(5));
    for (GVariant*& field : fields) field = value(3);
    return g_variant_new_tuple(fields.data(), fields.size());
  }

  GVariant* value(int depth) {
    const std::function<GVariant*()> values[] = {
        [&] { return g_variant_new_string(text(pick(30) == 0 ? 100000 : 40).c_str()); },
        [&] { return g_variant_new_int32(number()); },
        [&] { return g_variant_new_uint32(static_cast<guint32>(number())); },
        [&] { return g_variant_new_boolean(pick(2)); },
        [&] { return g_variant_new_double(pick(2) ? 1e308 : -0.5); },
        [&] { return g_variant_new_int64(INT64_MIN + pick(2)); },
        [&] { return g_variant_new_object_path(somePath().c_str()); },
        [&] {
          const std::string bytes = text(pick(20) == 0 ? 50000 : 64);
          return g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1);
        },
        // Those below nest.
        [&] { return g_variant_new_variant(value(depth - 1)); },
        [&] { return ids(); },
        [&] { return tuple(); },
        // a value's bytes, a few of them flipped, read back as the fuzz targets read theirs
        [&] {
          const VariantPtr whole{g_variant_ref_sink(value(depth - 1))};
          std::string bytes = std::string{'\x01'} + g_variant_get_type_string(whole.get()) + '\0';
          const std::size_t header = bytes.size();
          bytes.append(static_cast<const char*>(g_variant_get_data(whole.get())),
                       g_variant_get_size(whole.get()));
          for (int flips = pick(4); flips > 0 && bytes.size() > header; --flips) {
            bytes[header + pick(static_cast<int>(bytes.size() - header))] ^= 1 << pick(8);
          }
          const fuzz::Variant read = fuzz::variantOf(
              reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), {});
          return g_variant_new_variant(read.get());
        },
        [&] { return array("{sv}", pick(4), [&] { return entry(text(12), value(depth - 1)); }); },
    };
    return values[pick(depth > 0 ? 13 : 8)]();
  }

  std::mt19937 random{20261206};
};

class BusAbuseTest : public AgentFixture {
 protected:
  // Both agents, their host a sleeping process. Under AddressSanitizer freed
  // memory waits in a quarantine of up to 256 MB, which would hide a flat
  // heap behind a growing resident size; a small one keeps RSS meaningful.
  void startAgents() {
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
    const VariantPtr owner = callAndWait(
        connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetNameOwner", g_variant_new("(s)", itemBusName(*agents[0]).c_str()));
    ASSERT_TRUE(owner);
    const char* uniqueName = nullptr;
    g_variant_get(owner.get(), "(&s)", &uniqueName);
    g_dbus_connection_signal_subscribe(connection.get(), uniqueName, kItemInterface, "NewToolTip",
                                       kItemPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, toolTipChanged,
                                       this, nullptr);
  }

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
    signalsSent += emitted;
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

  // Since the first tooltip time (the start): every call was answered or
  // refused in time, the tooltip never went more than three seconds without
  // a change while the options switched each second (two more switches
  // follow the last call), and both agents still run.
  void expectResponsive() {
    for (const auto until = Clock::now() + 2500ms; Clock::now() < until;) pumpOnce();
    toolTipTimes.push_back(Clock::now());
    Clock::duration longestGap{};
    for (std::size_t index = 0; index + 1 < toolTipTimes.size(); ++index) {
      longestGap = std::max(longestGap, toolTipTimes[index + 1] - toolTipTimes[index]);
    }
    std::printf(
        "%d calls (%d answered, %d refused, %d timed out) and %d signals in %.1f s; "
        "%zu tooltip changes, the longest gap %.2f s\n",
        calls, answered, calls - answered - timeouts, timeouts, signalsSent,
        std::chrono::duration<double>(toolTipTimes.back() - toolTipTimes.front()).count(),
        toolTipTimes.size() - 2, std::chrono::duration<double>(longestGap).count());
    EXPECT_EQ(timeouts, 0) << "calls neither answered nor refused in 10 s";
    EXPECT_LE(longestGap, 3s) << "the tooltip stopped following the options";
    for (Process* agent : agents) EXPECT_FALSE(agent->waitForExit(0s)) << itemBusName(*agent);
  }

  // The sleep item takes a well-formed state after all that.
  void expectSleepStateFollows(const std::string& status) {
    g_dbus_connection_emit_signal(
        connection.get(), nullptr, kHostPath, kHostInterface, "sleepStatusStateChanged",
        g_variant_new_parsed("({'active': <'true'>, 'status': <%s>},)", status.c_str()), nullptr);
    std::string tooltip;
    EXPECT_TRUE(test_support::spinUntil(
        [&] {
          tooltip =
              test_support::printed(callAndWait(connection.get(), itemBusName(*agents[1]).c_str(),
                                                kItemPath, kPropertiesInterface, "Get",
                                                g_variant_new("(ss)", kItemInterface, "ToolTip"))
                                        .get());
          return tooltip.find(" · " + status + "'") != std::string::npos;
        },
        3s))
        << "the sleep tooltip is still " << tooltip;
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
  int signalsSent = 0;
  int inFlight = 0;
  int answered = 0;
  int timeouts = 0;
};

TEST_F(BusAbuseTest, AgentsAnswerOrRefuseMalformedCallsAndSignalsAndStayResponsiveAndFlat) {
  startAgents();
  ASSERT_FALSE(HasFatalFailure());
  // The first round fills the agents' caches (the allocator's too, for the
  // huge strings); the second must not grow them by more than 2 MiB.
  toolTipTimes = {Clock::now()};
  flood(12000, 3000);
  ASSERT_FALSE(HasFatalFailure());
  std::vector<long> before;
  for (Process* agent : agents) before.push_back(residentKiB(agent->id()));
  flood(8000, 2000);
  ASSERT_FALSE(HasFatalFailure());
  expectResponsive();
  for (std::size_t index = 0; index < agents.size(); ++index) {
    const long after = residentKiB(agents[index]->id());
    std::printf("%s: RSS %ld -> %ld KiB\n", itemBusName(*agents[index]).c_str(), before[index],
                after);
    EXPECT_LE(after - before[index], 2048) << itemBusName(*agents[index]);
  }
  expectSleepStateFollows("还在");
}

}  // namespace
}  // namespace e2e
