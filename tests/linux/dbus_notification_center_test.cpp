#include "platform/linux/dbus_notification_center.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/linux/sni_test_support.h"

namespace platform::linuxdesktop::testing {
namespace {

using platform::OtherValue;
using platform::UserInfo;

constexpr const char* kStateChanged = "com.velmora.app.sleepStatusStateChanged";

// A center on this process's bus connection; the fixture's host connection
// stands for the host application.
class DbusNotificationCenterTest : public StatusItemTest {
 protected:
  void emitFromHost(const char* path, const char* body) {
    const VariantPtr parsed{g_variant_parse(nullptr, body, nullptr, nullptr, nullptr)};
    ASSERT_TRUE(parsed) << body;
    g_dbus_connection_emit_signal(host.get(), nullptr, path, "com.velmora.app",
                                  "sleepStatusStateChanged", parsed.get(), nullptr);
  }

  GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  DbusNotificationCenter center{bus.get()};
};

TEST_F(DbusNotificationCenterTest, PostedNotificationsAreBroadcastSignalsWithADictionary) {
  SignalRecorder recorder{host.get(), nullptr, "com.velmora.app"};
  roundTrip(host.get());
  center.post("com.velmora.app.showWindow", std::nullopt);
  // Text that is not UTF-8 is repaired: D-Bus strings must be.
  center.post(
      kStateChanged,
      UserInfo{
          {"active", "true"}, {"b", true}, {"o", OtherValue{}}, {"bad", std::string{"a\xff"}}});
  ASSERT_TRUE(spinUntil([&] { return recorder.received.size() == 2; }));
  EXPECT_EQ(recorder.received,
            (std::vector<std::string>{
                "/com/velmora/app com.velmora.app.showWindow (@a{sv} {},)",
                "/com/velmora/app com.velmora.app.sleepStatusStateChanged ({'active': <'true'>, "
                "'b': <true>, 'bad': <'a\xef\xbf\xbd'>, 'o': <@ay []>},)"}));
}

struct BodyCase {
  const char* path;
  const char* body;
  std::optional<UserInfo> expected;
};

TEST_F(DbusNotificationCenterTest, ObserversReadEveryBodyFromAnyPathWithoutFailing) {
  const BodyCase cases[] = {
      {"/com/velmora/app", "({'active': <'true'>, 'status': <'保持唤醒'>},)",
       UserInfo{{"active", "true"}, {"status", "保持唤醒"}}},
      {"/elsewhere", "({'active': 'true', 'status': ''},)",
       UserInfo{{"active", "true"}, {"status", ""}}},
      {"/com/velmora/app", "@(a{sv}) ({},)", UserInfo{}},
      {"/com/velmora/app", "({'b': <true>, 'i': <int32 -7>, 't': <uint64 9>, 'd': <2.5>},)",
       UserInfo{{"b", true}, {"i", -7.0}, {"t", 9.0}, {"d", 2.5}}},
      {"/com/velmora/app", "({'o': <@ay []>, 'v': <<'x'>>},)",
       UserInfo{{"o", OtherValue{}}, {"v", OtherValue{}}}},
      {"/com/velmora/app", "(1,)", std::nullopt},
      {"/com/velmora/app", "@() ()", std::nullopt},
      {"/com/velmora/app", "({'active': <'true'>}, 'extra')", std::nullopt},
      {"/com/velmora/app", "({1: 'x'},)", std::nullopt},
  };
  std::vector<std::optional<UserInfo>> received;
  center.addObserver(kStateChanged, [&](const auto& info) { received.push_back(info); });
  roundTrip(bus.get());
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].body);
    emitFromHost(cases[i].path, cases[i].body);
    ASSERT_TRUE(spinUntil([&] { return received.size() == i + 1; }));
    EXPECT_EQ(received[i], cases[i].expected);
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
  emitFromHost("/com/velmora/app", "@(a{sv}) ({},)");
  emitFromHost("/com/velmora/app", "@(a{sv}) ({},)");
  ASSERT_TRUE(spinUntil([&] { return keptCalls == 2; }));
  EXPECT_EQ(selfRemovingCalls, 1);
  EXPECT_EQ(removedCalls, 0);
}

}  // namespace
}  // namespace platform::linuxdesktop::testing
