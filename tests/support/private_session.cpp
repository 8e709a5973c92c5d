#include "tests/support/private_session.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace test_support {
namespace {

// A session bus that takes connections from any user ID.
constexpr const char* kEveryoneBus =
    R"(<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow eavesdrop="true"/>
<allow send_destination="*" eavesdrop="true"/></policy></busconfig>)";

}  // namespace

PrivateSession::PrivateSession(const std::string& display, bool busForEveryone)
    : root(folder.path()) {
  if (root.empty()) return;
  // A program run as another user must be able to enter its HOME.
  if (busForEveryone) chmod(root.c_str(), 0755);
  mkdir((root + "/runtime").c_str(), 0700);
  const char* path = std::getenv("PATH");
  variables = {std::string{"PATH="} + (path != nullptr ? path : "/usr/bin:/bin"), "HOME=" + root,
               "XDG_CONFIG_HOME=" + root + "/config", "XDG_RUNTIME_DIR=" + root + "/runtime",
               "LANG=C.UTF-8"};
  if (!display.empty()) variables.push_back("DISPLAY=" + display);
  for (const std::string name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    const char* value = std::getenv(name.c_str());
    // The table of suppressions used is not printed: a program's standard
    // error must stay empty.
    const char* more = name == "LSAN_OPTIONS" ? ":print_suppressions=0" : "";
    if (value != nullptr) variables.push_back(name + "=" + value + more);
  }
  Strings daemon = {"dbus-daemon", "--nofork", "--print-address", "--session"};
  if (busForEveryone) daemon.back() = "--config-file=" + writeFile("bus.conf", kEveryoneBus);
  bus = std::make_unique<Process>(daemon, variables);
  const auto line = bus->next([](const std::string& text) { return !text.empty(); }, 10s);
  if (!line) return;
  address = *line;
  variables.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
}

std::string PrivateSession::writeFile(const std::string& relativePath,
                                      const std::string& contents) const {
  const std::filesystem::path path = root + "/" + relativePath;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream{path.string() + ".new"} << contents;
  std::filesystem::rename(path.string() + ".new", path);
  return path.string();
}

}  // namespace test_support
