#include "tests/linux/private_session_bus.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform::linuxdesktop::testing {

namespace {

std::string& busAddress() {
  static std::string value;
  return value;
}

// Reads the one line dbus-daemon prints, waiting at most five seconds.
std::string readLine(int fd) {
  std::string line;
  char c = 0;
  while (true) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 5000) <= 0 || read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

}  // namespace

void PrivateSessionBus::SetUp() {
  const GCharPtr folder{g_dir_make_tmp("linux-bus-XXXXXX", nullptr)};
  ASSERT_TRUE(folder);
  temporaryFolder = folder.get();
  setenv("HOME", temporaryFolder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (temporaryFolder + "/config").c_str(), 1);
  unsetenv("DBUS_STARTER_ADDRESS");
  unsetenv("DBUS_STARTER_BUS_TYPE");
  startDaemon();
  ASSERT_FALSE(busAddress().empty()) << "dbus-daemon did not start";
  setenv("DBUS_SESSION_BUS_ADDRESS", busAddress().c_str(), 1);
  sharedConnection.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
  ASSERT_TRUE(sharedConnection);
  g_dbus_connection_set_exit_on_close(sharedConnection.get(), FALSE);
}

void PrivateSessionBus::startDaemon() {
  const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address", nullptr};
  GPid pid = -1;
  int output = -1;
  const bool started = g_spawn_async_with_pipes(
      nullptr, const_cast<gchar**>(argv), nullptr,
      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                               G_SPAWN_STDERR_TO_DEV_NULL),
      nullptr, nullptr, &pid, nullptr, &output, nullptr, nullptr);
  if (!started) return;
  daemon = pid;
  busAddress() = readLine(output);
  close(output);
}

void PrivateSessionBus::TearDown() {
  sharedConnection.reset();
  if (daemon > 0) {
    kill(daemon, SIGTERM);
    waitpid(daemon, nullptr, 0);
    daemon = -1;
  }
  std::error_code ignored;
  if (!temporaryFolder.empty()) std::filesystem::remove_all(temporaryFolder, ignored);
}

const std::string& PrivateSessionBus::address() { return busAddress(); }

GObjectPtr<GDBusConnection> connectPeer() {
  return GObjectPtr<GDBusConnection>{g_dbus_connection_new_for_address_sync(
      busAddress().c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr)};
}

}  // namespace platform::linuxdesktop::testing
