#include "tests/linux/sni_test_support.h"

#include <algorithm>

namespace platform::linuxdesktop::testing {

std::string printed(GVariant* value) {
  if (value == nullptr) return "";
  const GCharPtr text{g_variant_print(value, TRUE)};
  return text.get();
}

SignalRecorder::SignalRecorder(GDBusConnection* connection, const char* interfaceName) {
  const guint id = g_dbus_connection_signal_subscribe(connection, nullptr, interfaceName, nullptr,
                                                      nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                      &SignalRecorder::received, this, nullptr);
  subscription = SignalSubscriptionId{connection, id};
}

int SignalRecorder::count(const std::string& member) const {
  return static_cast<int>(std::count_if(signals.begin(), signals.end(),
                                        [&](const auto& entry) { return entry.first == member; }));
}

std::string SignalRecorder::lastBody(const std::string& member) const {
  for (auto it = signals.rbegin(); it != signals.rend(); ++it) {
    if (it->first == member) return it->second;
  }
  return "";
}

void SignalRecorder::received(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar* member, GVariant* body, gpointer data) {
  static_cast<SignalRecorder*>(data)->signals.emplace_back(member, printed(body));
}

void StatusItemTest::SetUp() {
  platform = LinuxPlatform::create(kProgramName);
  ASSERT_TRUE(platform);
  host = connectPeer();
  ASSERT_TRUE(host);
}

std::string StatusItemTest::itemBusName() {
  return "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1";
}

bool StatusItemTest::waitForItemName() {
  return spinUntil([this] {
    const CallResult owner = callAndWait(
        host.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", itemBusName().c_str()));
    return owner.reply && printed(owner.reply.get()) == "(true,)";
  });
}

bool StatusItemTest::waitForRegistrations(std::size_t count) {
  return spinUntil([&] { return watcher.registrations().size() >= count; });
}

VariantPtr StatusItemTest::itemProperty(const char* name) {
  return getProperty(host.get(), itemBusName().c_str(), kItemPath, kItemInterface, name);
}

std::string StatusItemTest::printedProperty(const char* name) {
  return printed(itemProperty(name).get());
}

CallResult StatusItemTest::callItem(const char* method, GVariant* parameters) {
  return callAndWait(host.get(), itemBusName().c_str(), kItemPath, kItemInterface, method,
                     parameters);
}

}  // namespace platform::linuxdesktop::testing
