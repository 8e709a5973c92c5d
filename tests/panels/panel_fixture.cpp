#include "tests/panels/panel_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace e2e {
namespace {

// sway refuses to run as root; it runs as nobody.
constexpr const char* kUser = "65534";

Strings asUser(Strings command) {
  command.insert(command.begin(), {"setpriv", std::string{"--reuid="} + kUser,
                                   std::string{"--regid="} + kUser, "--clear-groups"});
  return command;
}

// A system bus of the test's own, open to this user alone as a session bus
// is: where /run/systemd/seats exists GNOME Shell quits at start without one.
constexpr const char* kGnomeShell =
    R"(rm -f "$HOME/system-bus"
dbus-daemon --session --nofork --print-address >"$HOME/system-bus" &
until [ -s "$HOME/system-bus" ]; do sleep 0.1; done
DBUS_SYSTEM_BUS_ADDRESS=$(cat "$HOME/system-bus") GSETTINGS_BACKEND=keyfile exec gnome-shell --x11 --replace)";

constexpr int kBlackest = 8;
constexpr int kBlackLooks = 8;

}  // namespace

PanelSetup gnomeShell(bool dark) {
  return {"1024x300x24",
          {"sh", "-c", kGnomeShell},
          {{"config/glib-2.0/settings/keyfile",
            std::string{"[org/gnome/shell]\nenabled-extensions=['ubuntu-appindicators@ubuntu.com']"
                        "\n[org/gnome/desktop/interface]\ncolor-scheme='"} +
                (dark ? "prefer-dark" : "default") + "'\n"}},
          {"gnome-shell", "dbus-daemon", "xdotool"},
          {"xdotool", "key", "Escape"},
          // The overview opens once the shell has started, over a bar that is
          // black outside it; a bar black for a few seconds on end had it
          // closed before the first look.
          [overviewSeen = false, blackLooks = 0](const Image& shot) mutable {
            const Rgb bar = shot.at(shot.width / 4, 1);
            const bool black = std::ranges::max(bar) <= kBlackest;
            overviewSeen = overviewSeen || !black;
            blackLooks = black ? blackLooks + 1 : 0;
            return black && (overviewSeen || blackLooks >= kBlackLooks);
          },
          60};
}

void PanelFixture::startPanel(const PanelSetup& setup) {
  server = setup.server;
  Strings required = setup.required;
  required.push_back(setup.command.front());
  if (server == PanelSetup::Server::x11) {
    required.insert(required.end(), {"Xvfb", "import"});
  } else {
    required.insert(required.end(), {"sway", "grim", "setpriv"});
    if (getuid() != 0) GTEST_SKIP() << "sway runs as another user, which needs root here";
  }
  for (const std::string& program : required) {
    if (!test_support::installed(program)) GTEST_SKIP() << program << " is not installed";
  }
  if (server == PanelSetup::Server::x11) {
    // Xvfb picks a free display itself and writes its number once it
    // accepts clients, so that parallel servers never collide.
    displayServer = std::make_unique<Process>(
        Strings{"Xvfb", "-displayfd", "1", "-screen", "0", setup.screen, "-nolisten", "tcp"},
        Strings{std::string{"PATH="} + std::getenv("PATH")});
    const auto number =
        displayServer->next([](const std::string& line) { return !line.empty(); }, 20s);
    ASSERT_TRUE(number) << "Xvfb did not start";
    display = ":" + *number;
  }
  // The display reaches the bus and every program; under sway the bus is
  // one any user may join.
  session =
      std::make_unique<test_support::PrivateSession>(display, server == PanelSetup::Server::sway);
  ASSERT_TRUE(session->started()) << "the private dbus-daemon did not start";
  home = session->home();
  environment = session->environment();
  for (const auto& [path, contents] : setup.files) writeFile(path, contents);
  if (server == PanelSetup::Server::x11) {
    panel = &start(setup.command);
  } else {
    const auto failure = startSway(setup);
    ASSERT_FALSE(failure) << *failure;
  }
  ASSERT_TRUE(waitForBusNames({"org.kde.StatusNotifierWatcher"}, setup.startSeconds))
      << "the panel's tray never started";
  if (setup.afterStart.empty()) return;
  for (const auto deadline = Clock::now() + 30s; Clock::now() < deadline;) {
    const auto shot = screenshot();
    if (shot && setup.ready(*shot)) return;
    run(setup.afterStart);
    std::this_thread::sleep_for(500ms);
  }
  FAIL() << "the panel never became ready after " << setup.afterStart.front();
}

std::optional<std::string> PanelFixture::startSway(const PanelSetup& setup) {
  runtime = home + "/wayland";
  mkdir(runtime.c_str(), 0700);
  if (chown(runtime.c_str(), 65534, 65534) != 0) return "cannot hand the runtime folder over";
  writeFile("config/sway/config", "output HEADLESS-1 resolution " + setup.screen +
                                      "\nbar {\n  swaybar_command " + setup.command.front() +
                                      "\n}\n");
  displayServer = std::make_unique<Process>(
      asUser({"env", "HOME=" + runtime, "XDG_RUNTIME_DIR=" + runtime, "WLR_BACKENDS=headless",
              "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway"}),
      environment);
  for (const auto deadline = Clock::now() + 20s; Clock::now() < deadline;) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(runtime, ignored)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("wayland-") && !name.ends_with(".lock")) waylandDisplay = name;
    }
    if (!waylandDisplay.empty()) return std::nullopt;
    std::this_thread::sleep_for(50ms);
  }
  return "sway did not start";
}

std::optional<Image> PanelFixture::screenshot() {
  std::string path = home + "/shot.ppm";
  if (server == PanelSetup::Server::x11) {
    if (!run({"import", "-window", "root", "-depth", "8", path})) return std::nullopt;
  } else {
    // grim runs as sway's user, so it writes into sway's folder.
    path = runtime + "/shot.ppm";
    Process grim{asUser({"grim", "-t", "ppm", path}),
                 {std::string{"PATH="} + std::getenv("PATH"), "XDG_RUNTIME_DIR=" + runtime,
                  "WAYLAND_DISPLAY=" + waylandDisplay}};
    if (grim.waitForExit(10s) != 0) return std::nullopt;
  }
  Image image{0, 0, readFile(path)};
  int header = 0;
  // A binary PPM: "P6", width, height, 255 and one white space, then pixels.
  if (std::sscanf(image.bytes.c_str(), "P6 %d %d 255%n", &image.width, &image.height, &header) !=
          2 ||
      image.bytes.size() != static_cast<std::size_t>(header + 1 + image.width * image.height * 3)) {
    return std::nullopt;
  }
  image.bytes.erase(0, header + 1);
  return image;
}

}  // namespace e2e
