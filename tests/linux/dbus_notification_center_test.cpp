#include "platform/linux/dbus_notification_center.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/notification_wire.h"
#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

using platform::OtherValue;
using platform::UserInfo;

class DbusNotificationCenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus);
    ASSERT_TRUE(host);
  }

  // Emits a signal from the host connection, as the host application would.
  void emitFromHost(const char* path, const char* member, const char* body) {
    GVariant* parsed = g_variant_parse(nullptr, body, nullptr, nullptr, nullptr);
    ASSERT_NE(parsed, nullptr) << body;
    g_dbus_connection_emit_signal(host.get(), nullptr, path, "com.velmora.app", member, parsed,
                                  nullptr);
  }

  // Makes sure the bus has every match rule this process asked for.
  void syncWithBus() {
    callAndWait(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "GetId", nullptr);
  }

  GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  GObjectPtr<GDBusConnection> host = connectPeer();
  DbusNotificationCenter center{bus.get()};
};

// A signal as seen by another process.
struct Seen {
  std::string path;
  std::string interfaceName;
  std::string member;
  std::string body;
};

void record(GDBusConnection*, const gchar*, const gchar* path, const gchar* interfaceName,
            const gchar* member, GVariant* body, gpointer data) {
  static_cast<std::vector<Seen>*>(data)->push_back({path, interfaceName, member, printed(body)});
}

TEST_F(DbusNotificationCenterTest, PostedNotificationsAreBroadcastSignalsWithAnADictionary) {
  std::vector<Seen> seen;
  const SignalSubscriptionId subscription{
      host.get(), g_dbus_connection_signal_subscribe(
                      host.get(), nullptr, "com.velmora.app", nullptr, nullptr, nullptr,
                      G_DBUS_SIGNAL_FLAGS_NONE, &record, &seen, nullptr)};
  callAndWait(host.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
              "GetId", nullptr);
  center.post("com.velmora.app.showWindow", std::nullopt);
  center.post("com.velmora.app.sleepStatusStateChanged",
              UserInfo{{"active", "true"}, {"n", 2.5}, {"b", true}, {"o", OtherValue{}}});
  ASSERT_TRUE(spinUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen[0].path, "/com/velmora/app");
  EXPECT_EQ(seen[0].interfaceName, "com.velmora.app");
  EXPECT_EQ(seen[0].member, "showWindow");
  EXPECT_EQ(seen[0].body, "(@a{sv} {},)");
  EXPECT_EQ(seen[1].member, "sleepStatusStateChanged");
  EXPECT_EQ(seen[1].body, "({'active': <'true'>, 'b': <true>, 'n': <2.5>, 'o': <@ay []>},)");
}

struct BodyCase {
  const char* path;
  const char* body;
  std::optional<UserInfo> expected;
};

TEST_F(DbusNotificationCenterTest, ObserversReadEveryBodyWithoutFailing) {
  const BodyCase cases[] = {
      {"/com/velmora/app", "({'active': <'true'>, 'status': <'保持唤醒'>},)",
       UserInfo{{"active", "true"}, {"status", "保持唤醒"}}},
      {"/elsewhere", "({'active': 'true', 'status': ''},)",
       UserInfo{{"active", "true"}, {"status", ""}}},
      {"/com/velmora/app", "@(a{sv}) ({},)", UserInfo{}},
      {"/com/velmora/app",
       "({'active': <true>, 'i': <int32 -7>, 't': <uint64 9>, 'd': <2.5>, 'y': <byte 3>},)",
       UserInfo{{"active", true}, {"i", -7.0}, {"t", 9.0}, {"d", 2.5}, {"y", 3.0}}},
      {"/com/velmora/app", "({'o': <@ay []>, 'v': <<'x'>>, 'p': <objectpath '/x'>},)",
       UserInfo{{"o", OtherValue{}}, {"v", OtherValue{}}, {"p", OtherValue{}}}},
      {"/com/velmora/app", "(1,)", std::nullopt},
      {"/com/velmora/app", "(['active', 'true'],)", std::nullopt},
      {"/com/velmora/app", "@() ()", std::nullopt},
      {"/com/velmora/app", "({'active': <'true'>}, 'extra')", std::nullopt},
      {"/com/velmora/app", "({1: 'x'},)", std::nullopt},
  };
  std::vector<std::optional<UserInfo>> received;
  center.addObserver("com.velmora.app.sleepStatusStateChanged",
                     [&](const std::optional<UserInfo>& info) { received.push_back(info); });
  syncWithBus();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].body);
    emitFromHost(cases[i].path, "sleepStatusStateChanged", cases[i].body);
    ASSERT_TRUE(spinUntil([&] { return received.size() == i + 1; }));
    EXPECT_EQ(received[i], cases[i].expected);
  }
}

TEST_F(DbusNotificationCenterTest, RemovedObserversHearNothing) {
  int removedCalls = 0;
  int keptCalls = 0;
  const auto removed = center.addObserver("com.velmora.app.sleepStatusStateChanged",
                                          [&](const auto&) { ++removedCalls; });
  const auto kept = center.addObserver("com.velmora.app.sleepStatusStateChanged",
                                       [&](const auto&) { ++keptCalls; });
  EXPECT_NE(removed, kept);
  center.removeObserver(removed);
  center.removeObserver(9999);
  syncWithBus();
  emitFromHost("/com/velmora/app", "sleepStatusStateChanged", "@(a{sv}) ({},)");
  ASSERT_TRUE(spinUntil([&] { return keptCalls == 1; }));
  EXPECT_EQ(removedCalls, 0);
}

TEST_F(DbusNotificationCenterTest, AnObserverMayRemoveItselfWhileCalled) {
  int calls = 0;
  platform::ObserverToken token = 0;
  token = center.addObserver("com.velmora.app.sleepStatusStateChanged", [&](const auto&) {
    ++calls;
    center.removeObserver(token);
  });
  syncWithBus();
  emitFromHost("/com/velmora/app", "sleepStatusStateChanged", "@(a{sv}) ({},)");
  emitFromHost("/com/velmora/app", "sleepStatusStateChanged", "@(a{sv}) ({},)");
  ASSERT_TRUE(spinUntil([&] { return calls == 1; }));
  roundTrip(host.get(), g_dbus_connection_get_unique_name(bus.get()));
  spinFor(20ms);
  EXPECT_EQ(calls, 1);
}

TEST_F(DbusNotificationCenterTest, NamesThatAreNoDBusNamesAreNeitherPostedNorObserved) {
  const char* const names[] = {
      "showWindow",          "com.velmora.app.",       ".showWindow",
      "com..app.showWindow", "com.velmora.app.9lives", "com.velmora.app.show-window",
      "app.showWindow"};
  std::vector<Seen> seen;
  const SignalSubscriptionId subscription{
      host.get(), g_dbus_connection_signal_subscribe(
                      host.get(), g_dbus_connection_get_unique_name(bus.get()), nullptr, nullptr,
                      nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &record, &seen, nullptr)};
  callAndWait(host.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
              "GetId", nullptr);
  int observed = 0;
  for (const char* name : names) {
    center.addObserver(name, [&](const auto&) { ++observed; });
    center.post(name, std::nullopt);
  }
  center.post("com.velmora.app.showWindow", std::nullopt);
  ASSERT_TRUE(spinUntil([&] {
    return std::any_of(seen.begin(), seen.end(),
                       [](const Seen& s) { return s.member == "showWindow"; });
  }));
  for (const Seen& signal : seen) EXPECT_EQ(signal.member, "showWindow");
  EXPECT_EQ(observed, 0);
}

TEST(NotificationWireTest, NamesSplitAtTheLastDot) {
  const std::optional<NotificationSignal> address =
      notificationSignalFor("com.velmora.app.sleepStatusStateChanged");
  ASSERT_TRUE(address);
  EXPECT_EQ(address->objectPath, "/com/velmora/app");
  EXPECT_EQ(address->interfaceName, "com.velmora.app");
  EXPECT_EQ(address->member, "sleepStatusStateChanged");
  EXPECT_FALSE(notificationSignalFor(""));
  EXPECT_FALSE(notificationSignalFor("com.velmora.app.x y"));
}

TEST(NotificationWireTest, PostedUserInfoReadsBackAndBadTextIsRepaired) {
  const UserInfo sent{
      {"s", "醒┃"}, {"d", 1.5}, {"b", false}, {"o", OtherValue{}}, {"bad", std::string{"a\xff"}}};
  const VariantPtr body = notificationBody(sent);
  UserInfo expected = sent;
  expected["bad"] = std::string{"a\xef\xbf\xbd"};
  EXPECT_EQ(userInfoFromBody(body.get()), expected);
  EXPECT_EQ(userInfoFromBody(nullptr), std::nullopt);
  EXPECT_EQ(userInfoFromBody(notificationBody(std::nullopt).get()), UserInfo{});
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
