#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/linux/test_bus.h"

namespace bus = platform::linuxdesktop::testing;
using platform::linuxdesktop::GCharPtr;
using platform::linuxdesktop::GObjectPtr;

// Every test runs on a private dbus-daemon, never the machine's bus, with
// HOME and XDG_CONFIG_HOME inside a fresh temporary folder. A test that needs
// a process without any session bus re-runs this binary with
// VELMORA_TEST_WITHOUT_BUS set.
int main(int argc, char** argv) {
  setenv("G_DEBUG", "fatal-criticals", 1);
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("VELMORA_TEST_WITHOUT_BUS") || GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  const GCharPtr home{g_dir_make_tmp("linux-bus-XXXXXX", nullptr)};
  if (!home) return 1;
  setenv("HOME", home.get(), 1);
  setenv("XDG_CONFIG_HOME", (std::string{home.get()} + "/config").c_str(), 1);
  const char* daemonArgv[] = {"dbus-daemon", "--session", "--nofork", "--print-address", nullptr};
  GPid daemon = -1;
  setenv("DBUS_SESSION_BUS_ADDRESS", bus::startServer(daemonArgv, daemon).c_str(), 1);
  // Kept open, so that the daemon stopping at the end cannot end the process.
  const GObjectPtr<GDBusConnection> shared{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  if (shared) g_dbus_connection_set_exit_on_close(shared.get(), FALSE);
  if (!shared) std::fputs("dbus-daemon did not start\n", stderr);
  const int status = shared ? RUN_ALL_TESTS() : 1;
  bus::stopServer(daemon);
  std::error_code ignored;
  std::filesystem::remove_all(home.get(), ignored);
  return status;
}
