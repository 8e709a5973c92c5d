#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/agent_fixture.h"

namespace e2e {

using Rgb = std::array<int, 3>;

// A screenshot: 8-bit RGB pixels, row by row.
struct Image {
  int width = 0;
  int height = 0;
  std::string bytes;

  Rgb at(int x, int y) const {
    const auto* pixel = reinterpret_cast<const unsigned char*>(&bytes[(y * width + x) * 3]);
    return {pixel[0], pixel[1], pixel[2]};
  }
};

// How one panel runs headless.
struct PanelSetup {
  // The Xvfb screen, or sway's output resolution.
  std::string screen;
  // The panel's command line; under sway, the bar command.
  Strings command;
  // Files written into HOME before the panel starts: path and contents.
  std::vector<std::pair<std::string, std::string>> files{};
  // Programs beyond the command's own that must be installed.
  Strings required{};
  // Once the tray is up, run again and again until `ready` holds for the
  // screen before it (for example to close a shell's start-up overview);
  // nothing when empty.
  Strings afterStart{};
  std::function<bool(const Image&)> ready{};
  // How long the panel may take to serve its tray.
  int startSeconds = 20;
  enum class Server { x11, sway };
  Server server = Server::x11;
};

// GNOME Shell on X11 with Debian's AppIndicator extension, its settings in a
// key file and a system bus of its own (where /run/systemd/seats exists the
// shell quits at start without one). Dark is the desktop's colour scheme; the
// shell's bar is black in both. The shell opens its overview at start: the
// setup closes it.
PanelSetup gnomeShell(bool dark);
inline constexpr int kGnomeBarHeight = 32;
// Where the clock ends: items show to the right of it.
inline constexpr int kGnomeTrayLeft = 600;

// An agent test on a headless display of its own with a real panel: Xvfb,
// its bus started with DISPLAY set (the panels' D-Bus activated helpers need
// it); or sway's headless backend, run as an unprivileged user (sway refuses
// root) with a runtime folder of its own, on a bus any user may join. Skips
// when a program it needs is missing.
class PanelFixture : public AgentFixture {
 protected:
  // Starts the display, the bus and the panel, and waits for its watcher.
  void startPanel(const PanelSetup& setup);

  // The whole screen now; absent when it could not be taken.
  std::optional<Image> screenshot();

  // The panel's own process on X11, ended with the test.
  Process* panel = nullptr;

 private:
  std::optional<std::string> startSway(const PanelSetup& setup);

  PanelSetup::Server server = PanelSetup::Server::x11;
  std::unique_ptr<Process> displayServer;
  // Xvfb's display (":N"); empty under sway.
  std::string display;
  // Under sway: its runtime folder and the Wayland socket's name.
  std::string runtime;
  std::string waylandDisplay;
};

}  // namespace e2e
