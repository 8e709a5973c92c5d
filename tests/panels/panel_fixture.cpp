#include "tests/panels/panel_fixture.h"

#include <poll.h>

#include <algorithm>

#include "tests/e2e/programs.h"

namespace e2e {

PanelFixture::PanelFixture(std::string panelProgram, std::string screen)
    : panel(std::move(panelProgram)), screenSize(std::move(screen)) {}

void PanelFixture::SetUp() {
  for (const std::string program : {"Xvfb", "import", panel.c_str()}) {
    if (!programInPath(program)) GTEST_SKIP() << program << " is not installed";
  }
  xServer = std::make_unique<XServer>(screenSize);
  ASSERT_FALSE(xServer->display().empty()) << "Xvfb did not start";
  display = xServer->display();
  AgentFixture::SetUp();
}

std::optional<Screenshot> PanelFixture::screenshot() {
  const std::string path = session->folder().path() + "/shot-" + std::to_string(++shots) + ".png";
  if (session->run({"import", "-window", "root", path}).exitCode != 0) return std::nullopt;
  return Screenshot::load(path);
}

std::optional<Screenshot> PanelFixture::itemIcon(const std::string& id) {
  const std::string path = session->folder().path() + "/icon-" + std::to_string(++shots) + ".png";
  if (trayView({"icon", id, path}).exitCode != 0) return std::nullopt;
  return Screenshot::load(path);
}

bool PanelFixture::waitUntilListed(const std::string& id, Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  while (true) {
    const ToolRun listing = trayView({"list"});
    const bool listed =
        std::any_of(listing.lines.begin(), listing.lines.end(), [&](const auto& line) {
          const auto item = parseItemLine(line);
          return item && item->id == id;
        });
    if (listed) return true;
    if (Clock::now() >= deadline) return false;
    poll(nullptr, 0, 50);
  }
}

}  // namespace e2e
