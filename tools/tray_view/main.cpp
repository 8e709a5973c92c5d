#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/standard_descriptors.h"
#include "tools/terminal_text/terminal_text.h"
#include "tools/tray_view/tray_client.h"
#include "tools/tray_view/tray_commands.h"
#include "tools/tray_view/tray_watch.h"

namespace {

constexpr const char* kUsage =
    "usage: tray-view watch [--png DIR]\n"
    "       tray-view list\n"
    "       tray-view activate ITEM\n"
    "       tray-view context ITEM\n"
    "       tray-view menu ITEM\n"
    "       tray-view menu-click ITEM LABEL\n"
    "       tray-view icon ITEM FILE.png\n"
    "ITEM is an item's Id (its program name) or its bus name.\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int watch(const std::vector<std::string>& arguments) {
  std::optional<std::string> pngFolder;
  if (arguments.size() == 3 && arguments[1] == "--png") {
    pngFolder = arguments[2];
  } else if (arguments.size() == 2 && arguments[1].starts_with("--png=")) {
    pngFolder = arguments[1].substr(6);
  } else if (arguments.size() != 1) {
    return usage();
  }
  if (pngFolder && pngFolder->empty()) return usage();
  tools::trayview::TrayWatch trayWatch{pngFolder};
  return trayWatch.run();
}

int oneShot(const std::vector<std::string>& arguments) {
  const std::string& command = arguments[0];
  const std::size_t count = arguments.size();
  const bool known =
      (command == "list" && count == 1) ||
      ((command == "activate" || command == "context" || command == "menu") && count == 2) ||
      ((command == "menu-click" || command == "icon") && count == 3);
  if (!known) return usage();

  std::string error;
  const auto client = tools::trayview::TrayClient::connect(error);
  if (!client) {
    tools::printEscapedLine(stderr, "tray-view: " + error);
    return 1;
  }
  const tools::trayview::TrayCommands commands{*client};
  if (command == "list") return commands.list();
  if (command == "activate") return commands.activate(arguments[1]);
  if (command == "context") return commands.context(arguments[1]);
  if (command == "menu") return commands.menu(arguments[1]);
  if (command == "menu-click") return commands.menuClick(arguments[1], arguments[2]);
  return commands.icon(arguments[1], arguments[2]);
}

}  // namespace

int main(int argc, char** argv) {
  platform::posix::openMissingStandardDescriptors();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) return usage();
  if (arguments[0] == "--help" || arguments[0] == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (arguments[0] == "watch") return watch(arguments);
  return oneShot(arguments);
}
