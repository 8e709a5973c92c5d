#pragma once

#include <memory>
#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace test_support {

// A desktop session of a test's own: a fresh HOME holding the configuration
// (config/) and runtime (runtime/) folders, and a private dbus-daemon. The
// programs a test starts get environment(), never the runner's.
class PrivateSession {
 public:
  // `display` (":N"), when given, reaches the bus and every program. A bus
  // for everyone takes connections from any user ID, for a program run as
  // another user.
  explicit PrivateSession(const std::string& display = "", bool busForEveryone = false);

  // False when the folder or the bus could not be made.
  bool started() const { return !address.empty(); }
  const std::string& home() const { return root; }
  const std::string& busAddress() const { return address; }
  // PATH, HOME, the XDG folders, LANG, the sanitizers' options and the bus.
  const Strings& environment() const { return variables; }
  // Writes a file in HOME atomically, creating its folders; returns its path.
  std::string writeFile(const std::string& relativePath, const std::string& contents) const;
  // The dbus-daemon's process, for stopping it; -1 once it has ended.
  pid_t busProcessId() const { return bus ? bus->id() : -1; }
  // Ends the dbus-daemon, as a logout does.
  void stopBus() { bus.reset(); }

 private:
  TempDir folder{"velmora-session"};
  std::string root;
  Strings variables;
  std::string address;
  std::unique_ptr<Process> bus;
};

}  // namespace test_support
