#include "platform/linux/dbus_notification_center.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/notification_wire.h"
#include "tests/support/gdbus.h"

namespace platform::linuxdesktop::testing {
namespace {

using namespace test_support;

constexpr const char* kStateChanged = "com.velmora.app.sleepStatusStateChanged";

// A center on this process's bus connection; the fixture's host connection
// stands for the host application.
class DbusNotificationCenterTest : public ::testing::Test {
 protected:
  // From an object path of its own: observers listen to every path.
  void emitFromHost(const char* body) {
    const VariantPtr parsed{g_variant_parse(nullptr, body, nullptr, nullptr, nullptr)};
    ASSERT_TRUE(parsed) << body;
    g_dbus_connection_emit_signal(host.get(), nullptr, "/elsewhere", "com.velmora.app",
                                  "sleepStatusStateChanged", parsed.get(), nullptr);
  }

  GObjectPtr<GDBusConnection> host = test_support::connectPeer();
  GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  DbusNotificationCenter center{bus.get()};
};

TEST_F(DbusNotificationCenterTest, ObserversReadPostsAndTypedValuesAndNothingFromOddBodies) {
  std::vector<std::optional<UserInfo>> received;
  center.addObserver(kStateChanged, [&](const auto& info) { received.push_back(info); });
  roundTrip(bus.get());
  // Text that is not UTF-8 is repaired: D-Bus strings must be.
  center.post(kStateChanged,
              UserInfo{{"b", true}, {"o", OtherValue{}}, {"bad", std::string{"a\xff"}}});
  ASSERT_TRUE(spinUntil([&] { return received.size() == 1; }));
  EXPECT_EQ(received[0], (UserInfo{{"b", true}, {"o", OtherValue{}}, {"bad", "a\xef\xbf\xbd"}}));
  for (const auto& [body, expected] :
       std::initializer_list<std::pair<const char*, std::optional<UserInfo>>>{
           {"({'b': <true>, 'i': <int32 -7>, 't': <uint64 9>, 'd': <2.5>},)",
            UserInfo{{"b", true}, {"i", -7.0}, {"t", 9.0}, {"d", 2.5}}},
           {"({'o': <@ay []>, 'v': <<'x'>>},)", UserInfo{{"o", OtherValue{}}, {"v", OtherValue{}}}},
           {"({'active': <'true'>}, 'extra')", std::nullopt},
           {"({1: 'x'},)", std::nullopt}}) {
    SCOPED_TRACE(body);
    received.clear();
    emitFromHost(body);
    ASSERT_TRUE(spinUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(received[0], expected);
  }
}

TEST(NotificationSignalTest, ANameSplitsAtItsLastDotUnlessAPartIsNoDBusName) {
  using namespace std::string_literals;
  using Member = std::optional<std::string>;
  for (const auto& [name, member] : std::initializer_list<std::pair<std::string, Member>>{
           {"com.velmora.app.showWindow", "showWindow"},
           {"showWindow", std::nullopt},
           {"com.velmora-app.showWindow", std::nullopt},
           // GLib would read either as a name that ends at the NUL byte.
           {"com.velmora.app.show\0Window"s, std::nullopt},
           {"com.velmora\0.x.app.show"s, std::nullopt}}) {
    const auto address = notificationSignalFor(name);
    EXPECT_EQ(address ? Member{address->member} : std::nullopt, member) << name;
  }
}

TEST_F(DbusNotificationCenterTest, RemovedObserversHearNothingEvenWhenRemovedWhileCalled) {
  int selfRemovingCalls = 0;
  int removedCalls = 0;
  int keptCalls = 0;
  platform::ObserverToken token = 0;
  token = center.addObserver(kStateChanged, [&](const auto&) {
    ++selfRemovingCalls;
    center.removeObserver(token);
  });
  const auto removed = center.addObserver(kStateChanged, [&](const auto&) { ++removedCalls; });
  center.addObserver(kStateChanged, [&](const auto&) { ++keptCalls; });
  center.removeObserver(removed);
  center.removeObserver(9999);
  roundTrip(bus.get());
  emitFromHost("@(a{sv}) ({},)");
  emitFromHost("@(a{sv}) ({},)");
  ASSERT_TRUE(spinUntil([&] { return keptCalls == 2; }));
  EXPECT_EQ(selfRemovingCalls, 1);
  EXPECT_EQ(removedCalls, 0);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
