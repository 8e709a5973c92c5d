#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/gdbus.h"
#include "tests/support/private_session.h"

// Every test runs on a private dbus-daemon, never the machine's bus, with
// HOME and XDG_CONFIG_HOME inside a fresh temporary folder.
int main(int argc, char** argv) {
  setenv("G_DEBUG", "fatal-criticals", 1);
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  const test_support::PrivateSession session;
  setenv("HOME", session.home().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (session.home() + "/config").c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", session.busAddress().c_str(), 1);
  // Kept open, so that the daemon stopping at the end cannot end the process.
  const test_support::GObjectPtr<GDBusConnection> shared{
      g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  if (shared) g_dbus_connection_set_exit_on_close(shared.get(), FALSE);
  if (!shared) std::fputs("dbus-daemon did not start\n", stderr);
  return shared ? RUN_ALL_TESTS() : 1;
}
