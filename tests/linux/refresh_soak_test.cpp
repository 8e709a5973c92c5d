// Both agents' delegates on the real Linux backend, refreshed ten thousand
// times as fast as a tray that reads every property again after each change
// keeps up, with the display options switching and a sleep state arriving
// from the bus in every cycle. The heap in use after the last thousand cycles
// stays within a small bound of the heap after the first. Each cycle waits
// until the tray has heard every change and read the item again: unpaced, the
// loop outruns the tray's reads, and the backlog of messages in flight grows
// the heap without a leak (in a build without the sanitizers, whose slower
// cycles hid it). Messages still come and go between cycles, so each figure
// is the least heap in use seen after any cycle of its thousand: a leak of
// even a few bytes a cycle still raises it by tens of kilobytes.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define HEAP_COUNTED_BY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_COUNTED_BY_ASAN 1
#endif
#endif
#if HEAP_COUNTED_BY_ASAN
// From <sanitizer/allocator_interface.h>, which GCC does not ship.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "agent_common/host_contract.h"
#include "network_agent/app/network_speed_status_item_app.h"
#include "platform/linux/notification_wire.h"
#include "sleep_agent/sleep_status_item_app.h"
#include "tests/linux/test_bus.h"

namespace platform::linuxdesktop::testing {
namespace {

// Bytes handed out by the allocator and not yet freed: AddressSanitizer's own
// count under it, glibc's otherwise.
std::size_t heapInUse() {
#if HEAP_COUNTED_BY_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

// Reads every property of the item that announced a change, as a tray does.
class RereadingTray {
 public:
  explicit RereadingTray(GDBusConnection* connection) : connection(connection) {
    subscription = SignalSubscriptionId{
        connection, g_dbus_connection_signal_subscribe(connection, nullptr, kItemInterface, nullptr,
                                                       nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                       changed, this, nullptr)};
  }

  int pending = 0;
  int reads = 0;

 private:
  static void changed(GDBusConnection* connection, const char* sender, const char* path,
                      const char*, const char*, GVariant*, gpointer self) {
    ++static_cast<RereadingTray*>(self)->pending;
    g_dbus_connection_call(connection, sender, path, "org.freedesktop.DBus.Properties", "GetAll",
                           g_variant_new("(s)", kItemInterface), nullptr, G_DBUS_CALL_FLAGS_NONE,
                           5000, nullptr, read, self);
  }

  static void read(GObject* source, GAsyncResult* result, gpointer self) {
    auto* tray = static_cast<RereadingTray*>(self);
    const VariantPtr reply{
        g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr)};
    --tray->pending;
    if (reply) ++tray->reads;
  }

  GDBusConnection* connection;
  SignalSubscriptionId subscription;
};

using RefreshSoakTest = StatusItemTest;

TEST_F(RefreshSoakTest, TenThousandRefreshesOfBothAgentsLeaveTheHeapWhereTheFirstThousandPutIt) {
  const std::string suite{agent::kHostIdentifier};
  const auto network = std::make_shared<agent::NetworkSpeedStatusItemApp>(*platform, suite);
  const std::string sleepState = agent::hostNotificationName(agent::kSleepStateChangedSuffix);
  const auto sleep = std::make_shared<agent::SleepStatusItemApp>(
      *platform, sleepState, agent::hostNotificationName(agent::kShowSleepManagementSuffix));
  network->applicationDidFinishLaunching();
  sleep->applicationDidFinishLaunching();
  ASSERT_TRUE(waitForRegistration());
  RereadingTray tray{host.get()};
  // The platform's connection is the process's shared one.
  const GObjectPtr<GDBusConnection> shared{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  const std::string agentConnection = g_dbus_connection_get_unique_name(shared.get());

  const std::string optionsFolder = std::string{g_get_user_config_dir()} + "/" + suite;
  g_mkdir_with_parents(optionsFolder.c_str(), 0700);
  const auto signal = notificationSignalFor(sleepState);
  ASSERT_TRUE(signal);

  constexpr int kCycles = 10000;
  std::size_t afterFirstThousand = SIZE_MAX;
  std::size_t afterLastThousand = SIZE_MAX;
  for (int cycle = 1; cycle <= kCycles; ++cycle) {
    if (cycle % 100 == 0) {
      // Every column on, then CPU and GPU off, in turn.
      const bool all = cycle % 200 == 0;
      std::ofstream{optionsFolder + "/defaults.conf"} << "[Defaults]\nnetworkSpeedShowCPUV1=" << all
                                                      << "\nnetworkSpeedShowGPUV1=" << all << "\n";
    }
    const std::string status = "第" + std::to_string(cycle % 50) + "步";
    g_dbus_connection_emit_signal(
        host.get(), nullptr, signal->objectPath.c_str(), signal->interfaceName.c_str(),
        signal->member.c_str(),
        g_variant_new_parsed("({'active': <%s>, 'status': <%s>},)", cycle % 2 ? "true" : "false",
                             status.c_str()),
        nullptr);
    network->refreshStatusItem();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    // The ping's answer comes after every change signal the agents sent
    // before it; then the tray's reads of them are answered.
    roundTrip(host.get(), agentConnection.c_str());
    ASSERT_TRUE(spinUntil([&] { return tray.pending == 0; }, 10s)) << "cycle " << cycle;
    if (cycle > 1000 && cycle <= 2000)
      afterFirstThousand = std::min(afterFirstThousand, heapInUse());
    if (cycle > kCycles - 1000) afterLastThousand = std::min(afterLastThousand, heapInUse());
  }
  std::printf(
      "heap in use: %zu bytes after the second thousand cycles, %zu after the last; "
      "%d property reads\n",
      afterFirstThousand, afterLastThousand, tray.reads);
  EXPECT_GT(tray.reads, kCycles / 10) << "the tray saw the changes";
  EXPECT_LE(afterLastThousand, afterFirstThousand + 64 * 1024);

  sleep->applicationWillTerminate();
  network->applicationWillTerminate();
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
