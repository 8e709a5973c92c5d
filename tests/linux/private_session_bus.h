#pragma once

#include <string>

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/types.h>

#include "platform/linux/glib_handles.h"

namespace platform::linuxdesktop::testing {

// A private dbus-daemon for the whole test program, never the machine's bus:
// started before the first test, with DBUS_SESSION_BUS_ADDRESS pointing at it
// and HOME and XDG_CONFIG_HOME inside a fresh temporary folder. The process's
// shared session-bus connection is opened here and kept, so that it never
// ends the process when the daemon stops at the end.
class PrivateSessionBus : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

  static const std::string& address();

 private:
  void startDaemon();

  std::string temporaryFolder;
  pid_t daemon = -1;
  GObjectPtr<GDBusConnection> sharedConnection;
};

// Another connection to the private bus, as another process would have.
GObjectPtr<GDBusConnection> connectPeer();

}  // namespace platform::linuxdesktop::testing
