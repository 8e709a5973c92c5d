#include "tests/e2e/private_bus.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// A session bus that takes connections from any user ID, for an agent
// started under another user than the test's.
constexpr const char* kEveryoneConfiguration =
    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
    "<auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
    "<allow own=\"*\"/><allow send_destination=\"*\" eavesdrop=\"true\"/>"
    "<allow eavesdrop=\"true\"/></policy></busconfig>\n";

}  // namespace

PrivateBus::PrivateBus(const Environment& environment, const TempDir& folder, Users users) {
  Launch launch{{"dbus-daemon", "--nofork", "--print-address"}};
  launch.environment = environment;
  if (users == Users::kEveryone) {
    const std::string configuration = folder.writeFile("bus/everyone.conf", kEveryoneConfiguration);
    if (configuration.empty()) return;
    launch.arguments.push_back("--config-file=" + configuration);
  } else {
    launch.arguments.push_back("--session");
  }
  daemon = std::make_unique<Process>(launch);
  if (!daemon->started()) return;
  const auto line =
      daemon->output().next([](const std::string& text) { return !text.empty(); }, 10s);
  if (line) busAddress = *line;
}

}  // namespace e2e
