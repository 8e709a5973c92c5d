#include "tools/host_sim/host_bus.h"

#include <algorithm>
#include <utility>

#include "agent_common/host_contract.h"
#include "tools/host_sim/host_log.h"

namespace tools::hostsim {
namespace {

std::string objectPath() {
  std::string path = "/" + std::string{agent::kHostIdentifier};
  std::replace(path.begin(), path.end(), '.', '/');
  return path;
}

// The signal member of a notification: its suffix without the leading dot.
std::string member(std::string_view suffix) { return std::string{suffix.substr(1)}; }

void notificationReceived(GDBusConnection*, const char*, const char*, const char*,
                          const char* signalName, GVariant*, gpointer) {
  printHostLine(signalName);
}

}  // namespace

std::unique_ptr<HostBus> HostBus::connect(std::string& error) {
  GObjectPtr<GDBusConnection> bus = connectSessionBus(error);
  if (!bus) return nullptr;
  // A lost bus must not end host-sim behind the test's back with SIGTERM.
  g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
  auto hostBus = std::make_unique<HostBus>(std::move(bus));
  hostBus->subscribe(hostBus->showWindow, agent::kShowWindowSuffix);
  hostBus->subscribe(hostBus->showSleepManagement, agent::kShowSleepManagementSuffix);
  return hostBus;
}

HostBus::HostBus(GObjectPtr<GDBusConnection> sessionBus) : connection(std::move(sessionBus)) {}

void HostBus::subscribe(SignalSubscription& subscription, std::string_view suffix) {
  const std::string interface { agent::kHostIdentifier };
  const std::string name = member(suffix);
  const guint id = g_dbus_connection_signal_subscribe(
      connection.get(), nullptr, interface.c_str(), name.c_str(), nullptr, nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE, notificationReceived, nullptr, nullptr);
  subscription = SignalSubscription{connection.get(), id};
}

std::optional<std::string> HostBus::postSleepState(bool active,
                                                   const std::optional<std::string>& status) const {
  const std::string activeKey{agent::kActiveKey};
  const std::string statusKey{agent::kStatusKey};
  GVariantBuilder userInfo;
  g_variant_builder_init(&userInfo, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&userInfo, "{sv}", activeKey.c_str(),
                        g_variant_new_string(active ? "true" : "false"));
  if (status) {
    g_variant_builder_add(&userInfo, "{sv}", statusKey.c_str(),
                          g_variant_new_string(status->c_str()));
  }

  const std::string path = objectPath();
  const std::string interface { agent::kHostIdentifier };
  const std::string name = member(agent::kSleepStateChangedSuffix);
  GError* emitError = nullptr;
  const bool sent =
      g_dbus_connection_emit_signal(connection.get(), nullptr, path.c_str(), interface.c_str(),
                                    name.c_str(), g_variant_new("(a{sv})", &userInfo), &emitError);
  const ErrorPtr error{emitError};
  if (!sent) return "cannot post " + name + ": " + errorText(error);
  return std::nullopt;
}

void HostBus::flush() const { g_dbus_connection_flush_sync(connection.get(), nullptr, nullptr); }

}  // namespace tools::hostsim
