#include "tests/panels/x_server.h"

#include <cstdlib>

namespace e2e {

using namespace std::chrono_literals;

XServer::XServer(const std::string& screen) {
  Environment environment;
  if (const char* path = std::getenv("PATH")) environment.push_back(std::string{"PATH="} + path);
  // Xvfb writes the display's number to descriptor 1 once it accepts
  // clients.
  Launch launch{{"Xvfb", "-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"}};
  launch.environment = std::move(environment);
  server = std::make_unique<Process>(launch);
  if (!server->started()) return;
  const auto number =
      server->output().next([](const std::string& line) { return !line.empty(); }, 20s);
  if (number) name = ":" + *number;
}

}  // namespace e2e
