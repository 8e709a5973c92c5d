#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/agent_fixture.h"
#include "tests/panels/screenshot.h"
#include "tests/panels/x_server.h"

namespace e2e {

// An agent test on a headless X server of its own, for a real panel. The
// bus starts with DISPLAY already set, as the panels' D-Bus activated
// helpers need it. Skips when Xvfb, import or `panelProgram` is missing.
class PanelFixture : public AgentFixture {
 protected:
  PanelFixture(std::string panelProgram, std::string screen);
  void SetUp() override;

  // The root window now; absent when import failed.
  std::optional<Screenshot> screenshot();
  // The image the item sends, at its largest size; absent when unreadable.
  std::optional<Screenshot> itemIcon(const std::string& id);
  // Waits until the tray host has the item registered.
  bool waitUntilListed(const std::string& id, Clock::duration limit);

  const std::string panel;

 private:
  const std::string screenSize;
  std::unique_ptr<XServer> xServer;
  int shots = 0;
};

}  // namespace e2e
