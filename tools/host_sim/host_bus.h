#pragma once

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>

#include "tools/tray_view/gio_handles.h"

namespace tools::hostsim {

// host-sim's end of the host notifications on the session bus. Every
// notification is a signal at /<HostIdentifier with '.' as '/'>, interface
// HostIdentifier, member the notification's suffix, body one a{sv}.
class HostBus {
 public:
  // Connects to the session bus and starts printing every showWindow and
  // showSleepManagement signal (from any sender, on any path) with a time
  // stamp. Absent, with the reason in error, when there is no session bus.
  static std::unique_ptr<HostBus> connect(std::string& error);

  // Posts sleepStatusStateChanged with {"active": <"true"|"false">} plus
  // {"status": <status>} when status is present. Returns an error text, or
  // absent once the signal is queued.
  std::optional<std::string> postSleepState(bool active,
                                            const std::optional<std::string>& status) const;

  // Blocks until every queued signal has been written to the bus.
  void flush() const;

  explicit HostBus(GObjectPtr<GDBusConnection> sessionBus);

 private:
  void subscribe(SignalSubscription& subscription, std::string_view suffix);

  GObjectPtr<GDBusConnection> connection;
  SignalSubscription showWindow;
  SignalSubscription showSleepManagement;
};

}  // namespace tools::hostsim
