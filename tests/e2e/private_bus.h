#pragma once

#include <memory>
#include <string>

#include "tests/e2e/process.h"
#include "tests/e2e/temp_dir.h"

namespace e2e {

// A dbus-daemon of the test's own, never the machine's bus. It runs with the
// environment given, which the services it activates inherit.
class PrivateBus {
 public:
  enum class Users { kOwnerOnly, kEveryone };

  // `folder` holds the configuration file when every user may connect.
  PrivateBus(const Environment& environment, const TempDir& folder, Users users);

  // The bus's address; empty when the daemon did not start.
  const std::string& address() const { return busAddress; }

 private:
  std::unique_ptr<Process> daemon;
  std::string busAddress;
};

}  // namespace e2e
