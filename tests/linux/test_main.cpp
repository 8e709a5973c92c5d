#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux/test_bus.h"
#include "tests/support/temp_dir.h"

namespace bus = platform::linuxdesktop::testing;
using platform::linuxdesktop::GObjectPtr;

// Every test runs on a private dbus-daemon, never the machine's bus, with
// HOME and XDG_CONFIG_HOME inside a fresh temporary folder. A test that needs
// a process without any session bus re-runs this binary with
// VELMORA_TEST_WITHOUT_BUS set.
int main(int argc, char** argv) {
  setenv("G_DEBUG", "fatal-criticals", 1);
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("VELMORA_TEST_WITHOUT_BUS") || GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  const test_support::TempDir home{"linux-bus"};
  if (home.path().empty()) return 1;
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
  const char* daemonArgv[] = {"dbus-daemon", "--session", "--nofork", "--print-address", nullptr};
  GPid daemon = -1;
  setenv("DBUS_SESSION_BUS_ADDRESS", bus::startServer(daemonArgv, daemon).c_str(), 1);
  // Kept open, so that the daemon stopping at the end cannot end the process.
  const GObjectPtr<GDBusConnection> shared{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  if (shared) g_dbus_connection_set_exit_on_close(shared.get(), FALSE);
  if (!shared) std::fputs("dbus-daemon did not start\n", stderr);
  const int status = shared ? RUN_ALL_TESTS() : 1;
  bus::stopServer(daemon);
  return status;
}
